#include "tests/support/elfexports.h"

#include <elf.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

template <typename T>
bool ReadAt(const std::vector<char>& file, std::uint64_t offset, T& out) {
    if (offset > file.size() || file.size() - offset < sizeof(T)) {
        return false;
    }
    std::memcpy(&out, file.data() + offset, sizeof(T));
    return true;
}

std::string NameAt(const std::vector<char>& file, const Elf64_Shdr& strings, std::uint32_t index) {
    const std::uint64_t start = strings.sh_offset + index;
    const std::uint64_t end =
        std::min<std::uint64_t>(strings.sh_offset + strings.sh_size, file.size());
    if (start >= end) {
        return {};
    }
    const char* first = file.data() + start;
    return {first, strnlen(first, end - start)};
}

}  // namespace

std::vector<std::string> DefinedDynamicSymbols(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> file{std::istreambuf_iterator<char>(in), {}};
    Elf64_Ehdr header{};
    if (!ReadAt(file, 0, header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64) {
        return {};
    }
    std::vector<std::string> names;
    for (unsigned i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr section{};
        Elf64_Shdr strings{};
        if (!ReadAt(file, header.e_shoff + i * sizeof(Elf64_Shdr), section) ||
            section.sh_type != SHT_DYNSYM ||
            !ReadAt(file, header.e_shoff + section.sh_link * sizeof(Elf64_Shdr), strings)) {
            continue;
        }
        for (std::uint64_t at = 0; at + sizeof(Elf64_Sym) <= section.sh_size;
             at += sizeof(Elf64_Sym)) {
            Elf64_Sym symbol{};
            if (ReadAt(file, section.sh_offset + at, symbol) && symbol.st_shndx != SHN_UNDEF &&
                ELF64_ST_BIND(symbol.st_info) != STB_LOCAL) {
                names.push_back(NameAt(file, strings, symbol.st_name));
            }
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}
