#pragma once
// Level designs: a text file of 10 x 10 grids compiled into level files.
//
//   level 1
//   o. o. .. ..  ... (ten cells a row, ten rows)
//
// Each cell is two characters. The first is the cell: '.' plain, 'o'
// breakable with one hit, 'O' with two hits. The second is what it holds:
// '.' a random brick, '1'..'5' the level's first to fifth colour, 'c' one
// chain, 'C' two chains, 'b' a box, 'e' an energized brick, 'k' key way,
// 'S' the key's start, 'H' the hole (both also on the key way).
#include <string>

namespace datagen {

bool CompileLevels(const std::string& designFile, const std::string& outFolder, std::string& error);

} // namespace datagen
