// Reading one named section of an ELF file (64-bit, little-endian) without
// loading it: how the version information of a server library is read.
#pragma once

#include <string>

namespace qb {

// Reads the bytes of section |name| of the file |path| into |data|. False
// with a one-line reason in |error| when the file cannot be read, is not
// such an ELF file, or has no such section. Every offset read from the file
// is checked against its size.
bool ReadElfSection(const std::string& path, const std::string& name, std::string* data,
                    std::string* error);

}  // namespace qb
