#pragma once
// Image fonts rendered from DejaVu outlines, and text drawn into art.
#include "tools/datagen/Canvas.h"

#include <string>

namespace datagen {

std::string DejaVuPath(const std::string& file); // under the system font folder

// White text with alpha as coverage, `px` pixels per em, tight bounds plus
// `pad` pixels on each side.
Canvas RenderText(const std::string& text, const std::string& fontFile, int px, int pad = 0);

// Writes the fonts and their descriptions under `root`/fonts; appends the
// manifest lines for groups Fonts and Loading to the two strings.
bool WriteFonts(const std::string& root, std::string& fontsGroup, std::string& loadingGroup, std::string& error);

// Every font's name and a sample line drawn from its glyphs and metrics as
// the program lays them out, for review.
Canvas FontSheet();

} // namespace datagen
