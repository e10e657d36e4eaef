// The drives of the drive list: the mounted volumes a user browses.
//
// A volume is a mount point of a real file system: the root file system
// always, and every other mount whose type is not a kernel or memory file
// system and whose mount point is not a system directory (/proc, /sys, /dev,
// /run except /run/media, /boot, /snap, /var/lib). The user's home
// directory is offered as a volume of its own even when it is not a mount
// point, so that it is one choice away. The drive of a path is the volume
// whose path is the longest leading part of it.
//
// No Qt here: paths are byte strings as the file system holds them, always
// absolute and without a trailing "/" (except "/" itself).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qb {

struct MountEntry {
  std::string mount_point;
  std::string fs_type;
  bool operator==(const MountEntry&) const = default;
};

struct Volume {
  std::string path;
  std::string label;  // the file system's label; "" when it has none
  bool operator==(const Volume&) const = default;
};

// The mounts listed in the text of /proc/self/mountinfo, in its order, with
// the octal escapes of mount points (\040 for a blank) undone. Lines that
// do not have the expected fields are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The volumes among |mounts| that the drive list shows, "/" first, then the
// home directory |home| (skipped when empty or not absolute), then the rest
// by path. A mount point mounted more than once is listed once. Labels are
// left empty.
std::vector<Volume> BrowsableVolumes(const std::vector<MountEntry>& mounts,
                                     const std::string& home);

// The volumes of this machine now: BrowsableVolumes of /proc/self/mountinfo
// and $HOME. Only "/" (and home) when mountinfo cannot be read.
std::vector<Volume> MountedVolumes();

// The index in |volumes| of the volume that holds the absolute path |path|,
// or -1 when none does.
int VolumeIndexOf(std::string_view path, const std::vector<Volume>& volumes);

}  // namespace qb
