#include "tools/regsvr/elf_section.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace qb {

bool ReadElfSection(const std::string& path, const std::string& name, std::string* data,
                    std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot be read";
    return false;
  }
  std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Elf64_Ehdr header;
  if (file.size() < sizeof header || std::memcmp(file.data(), ELFMAG, SELFMAG) != 0 ||
      file[EI_CLASS] != ELFCLASS64 || file[EI_DATA] != ELFDATA2LSB) {
    *error = "not a 64-bit little-endian ELF file";
    return false;
  }
  std::memcpy(&header, file.data(), sizeof header);
  auto fits = [&](uint64_t offset, uint64_t size) {
    return offset <= file.size() && size <= file.size() - offset;
  };
  if (header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shstrndx >= header.e_shnum ||
      !fits(header.e_shoff, uint64_t{header.e_shnum} * sizeof(Elf64_Shdr))) {
    *error = "its section table is damaged";
    return false;
  }
  auto section = [&](size_t i) {
    Elf64_Shdr s;
    std::memcpy(&s, file.data() + header.e_shoff + i * sizeof s, sizeof s);
    return s;
  };
  Elf64_Shdr names = section(header.e_shstrndx);
  if (!fits(names.sh_offset, names.sh_size)) {
    *error = "its section names are damaged";
    return false;
  }
  for (size_t i = 0; i < header.e_shnum; ++i) {
    Elf64_Shdr s = section(i);
    if (s.sh_name >= names.sh_size) continue;
    const char* n = file.data() + names.sh_offset + s.sh_name;
    size_t room = names.sh_size - s.sh_name;
    if (strnlen(n, room) == room || name != n) continue;
    if (!fits(s.sh_offset, s.sh_size)) {
      *error = "section " + name + " runs past the end of the file";
      return false;
    }
    data->assign(file, s.sh_offset, s.sh_size);
    return true;
  }
  *error = "has no section " + name + " (no version information)";
  return false;
}

}  // namespace qb
