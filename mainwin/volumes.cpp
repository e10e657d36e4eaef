#include "mainwin/volumes.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace qb {
namespace {

// File systems that hold no user files: kernel interfaces, memory and
// container plumbing, read-only package images.
const std::set<std::string, std::less<>> kPseudoTypes = {
    "autofs",  "binfmt_misc", "bpf",      "cgroup",          "cgroup2",    "configfs",   "debugfs",
    "devpts",  "devtmpfs",    "efivarfs", "fusectl",         "hugetlbfs",  "mqueue",     "nsfs",
    "overlay", "proc",        "pstore",   "ramfs",           "rpc_pipefs", "securityfs", "squashfs",
    "sysfs",   "tmpfs",       "tracefs",  "fuse.gvfsd-fuse", "fuse.portal"};

bool IsUnder(std::string_view path, std::string_view dir) {
  if (dir == "/") return !path.empty() && path[0] == '/';
  return path.size() >= dir.size() && path.compare(0, dir.size(), dir) == 0 &&
         (path.size() == dir.size() || path[dir.size()] == '/');
}

bool IsSystemDirectory(std::string_view path) {
  if (IsUnder(path, "/run/media")) return false;
  for (std::string_view dir : {"/proc", "/sys", "/dev", "/run", "/boot", "/snap", "/var/lib"}) {
    if (IsUnder(path, dir)) return true;
  }
  return false;
}

// Undoes the \ooo escapes that mountinfo uses for blanks, tabs, line feeds
// and backslashes.
std::string Unescape(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '3' && s[i + 2] >= '0' &&
        s[i + 2] <= '7' && s[i + 3] >= '0' && s[i + 3] <= '7') {
      out.push_back(
          static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
  std::vector<MountEntry> mounts;
  std::istringstream in{std::string(text)};
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<std::string> f{std::istream_iterator<std::string>(fields),
                               std::istream_iterator<std::string>()};
    // id parent major:minor root mount-point options [optional...] - type source super
    auto dash = std::find(f.begin(), f.end(), "-");
    if (f.size() < 5 || dash == f.end() || dash - f.begin() < 6 || f.end() - dash < 2) continue;
    mounts.push_back({Unescape(f[4]), *(dash + 1)});
  }
  return mounts;
}

std::vector<Volume> BrowsableVolumes(const std::vector<MountEntry>& mounts,
                                     const std::string& home) {
  std::set<std::string> others;
  for (const MountEntry& m : mounts) {
    if (m.mount_point.empty() || m.mount_point[0] != '/' || m.mount_point == "/") continue;
    if (kPseudoTypes.count(m.fs_type) != 0 || IsSystemDirectory(m.mount_point)) continue;
    others.insert(WithoutTrailingSlash(m.mount_point));
  }
  std::vector<Volume> volumes{{"/", ""}};
  std::string home_path = WithoutTrailingSlash(home);
  if (!home_path.empty() && home_path[0] == '/' && home_path != "/") {
    volumes.push_back({home_path, ""});
    others.erase(home_path);
  }
  for (const std::string& path : others) volumes.push_back({path, ""});
  return volumes;
}

std::vector<Volume> MountedVolumes() {
  std::ifstream in("/proc/self/mountinfo");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const char* home = std::getenv("HOME");
  return BrowsableVolumes(ParseMountInfo(text), home ? home : "");
}

int VolumeIndexOf(std::string_view path, const std::vector<Volume>& volumes) {
  int best = -1;
  for (size_t i = 0; i < volumes.size(); ++i) {
    if (IsUnder(path, volumes[i].path) &&
        (best < 0 || volumes[i].path.size() > volumes[best].path.size())) {
      best = static_cast<int>(i);
    }
  }
  return best;
}

}  // namespace qb
