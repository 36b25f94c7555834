#pragma once

#include <string>
#include <vector>

// The names of the symbols a shared object defines in its dynamic symbol table (what
// `nm -D --defined-only` lists, without the local ones), sorted. Empty when the file is not
// a 64-bit ELF file or has no dynamic symbols.
std::vector<std::string> DefinedDynamicSymbols(const std::string& path);
