#pragma once
// The memory-leak tracker: a table of live allocations (size, source file,
// line) and its report in "mem_leaks.txt". Nothing in the program records
// allocations yet; the table is there for code that wants to track its own.
#include <cstddef>
#include <string>

namespace Kivo {

void MemLeakAdd(const void* address, size_t size, const char* file, int line);
void MemLeakRemove(const void* address);
// Writes the report when the tracker is on, to `fileName` (the working
// folder's "mem_leaks.txt" by default) and line by line to the debugger
// output; nothing when the file cannot be opened. With `dumpAtExit` the
// report is also written when the program ends.
void WriteMemLeakReport(const std::string& fileName = "mem_leaks.txt");
void SetMemLeakDumpAtExit(bool dumpAtExit);

} // namespace Kivo
