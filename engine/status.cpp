#include "engine/status.h"

#include <cerrno>
#include <cstring>

namespace qb {

Status Status::FromErrno(const std::string& what, int err) {
  std::string message = what + ": " + std::strerror(err);
  if (err == ENOENT || err == ENOTDIR) return NotFound(std::move(message));
  return IoError(std::move(message));
}

}  // namespace qb
