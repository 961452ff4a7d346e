#include "tools/tsgui/tsgui_entry_points.h"

#include <elf.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

// Copies the structure at `offset` out of the file; false when it does not lie
// wholly inside it.
template <typename T> bool read_at(std::vector<char> const& file, uint64_t offset, T* out) {
    if (offset > file.size() || file.size() - offset < sizeof(T)) {
        return false;
    }
    std::memcpy(out, file.data() + offset, sizeof(T));
    return true;
}

// The exported C functions among the symbols that `symbols` holds: those
// whose names are neither C++ names ("_Z...") nor reserved ones ("_init").
void add_entry_points(std::vector<char> const& file, Elf64_Shdr const& symbols,
                      Elf64_Shdr const& strings, std::vector<std::string>* names) {
    if (strings.sh_offset > file.size() || file.size() - strings.sh_offset < strings.sh_size) {
        return;
    }
    char const* text = file.data() + strings.sh_offset;
    for (uint64_t s = 0; s < symbols.sh_size / sizeof(Elf64_Sym); ++s) {
        Elf64_Sym symbol;
        if (!read_at(file, symbols.sh_offset + s * sizeof(Elf64_Sym), &symbol)) {
            return;
        }
        if (ELF64_ST_TYPE(symbol.st_info) != STT_FUNC || symbol.st_shndx == SHN_UNDEF ||
            symbol.st_name >= strings.sh_size) {
            continue;
        }
        char const* name = text + symbol.st_name;
        size_t room = strings.sh_size - symbol.st_name;
        size_t length = strnlen(name, room);
        if (length > 0 && length < room && name[0] != '_') {
            names->emplace_back(name, length);
        }
    }
}

} // namespace

std::vector<std::string> tsgui_list_entry_points(std::string const& library) {
    std::ifstream stream(library, std::ios::binary);
    std::vector<char> const file{std::istreambuf_iterator<char>(stream),
                                 std::istreambuf_iterator<char>()};
    std::vector<std::string> names;
    Elf64_Ehdr header;
    if (!read_at(file, 0, &header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64) {
        return names;
    }
    for (uint64_t i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr symbols;
        Elf64_Shdr strings;
        if (read_at(file, header.e_shoff + i * sizeof(Elf64_Shdr), &symbols) &&
            symbols.sh_type == SHT_DYNSYM &&
            read_at(file, header.e_shoff + symbols.sh_link * sizeof(Elf64_Shdr), &strings)) {
            add_entry_points(file, symbols, strings, &names);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}
