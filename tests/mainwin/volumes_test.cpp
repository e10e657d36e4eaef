#include "mainwin/volumes.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(VolumesTest, ParsesMountInfo) {
  const char* text =
      "21 27 0:20 / /proc rw,relatime - proc proc rw\n"
      "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
      "60 27 8:17 / /media/ann/MY\\040STICK rw,nosuid shared:1 master:2 - vfat /dev/sdb1 rw\n"
      "broken line\n"
      "61 27 0:50 / /run/user/1000 rw - tmpfs tmpfs rw\n";
  EXPECT_EQ(ParseMountInfo(text), (std::vector<MountEntry>{{"/proc", "proc"},
                                                           {"/", "ext4"},
                                                           {"/media/ann/MY STICK", "vfat"},
                                                           {"/run/user/1000", "tmpfs"}}));
}

TEST(VolumesTest, OffersRootHomeAndMediaButNotSystemMounts) {
  std::vector<MountEntry> mounts = {
      {"/", "overlay"},        {"/proc", "proc"},          {"/boot/efi", "vfat"},
      {"/home", "ext4"},       {"/dev/shm", "tmpfs"},      {"/run/media/ann/DATA", "exfat"},
      {"/mnt/tools", "tmpfs"}, {"/mnt/backup", "xfs"},     {"/snap/core/1", "squashfs"},
      {"/home", "ext4"},       {"/var/lib/docker", "ext4"}};
  EXPECT_EQ(BrowsableVolumes(mounts, "/home/ann/"),
            (std::vector<Volume>{{"/", ""},
                                 {"/home/ann", ""},
                                 {"/home", ""},
                                 {"/mnt/backup", ""},
                                 {"/run/media/ann/DATA", ""}}));
  EXPECT_EQ(BrowsableVolumes({}, ""), (std::vector<Volume>{{"/", ""}}));
  // Home that is a mount point of its own is listed once.
  EXPECT_EQ(BrowsableVolumes({{"/home/ann", "ext4"}}, "/home/ann"),
            (std::vector<Volume>{{"/", ""}, {"/home/ann", ""}}));
}

TEST(VolumesTest, DriveOfAPathIsTheLongestVolumeHoldingIt) {
  std::vector<Volume> v = {{"/", ""}, {"/home/ann", ""}, {"/home", ""}, {"/media/a", ""}};
  struct Case {
    const char* path;
    int volume;
  } cases[] = {{"/", 0},         {"/etc", 0},        {"/home", 2},       {"/home/bob", 2},
               {"/home/ann", 1}, {"/home/ann/x", 1}, {"/home/annex", 2}, {"/media/a/b", 3},
               {"/media/ab", 0}, {"relative", -1}};
  for (const Case& c : cases) EXPECT_EQ(VolumeIndexOf(c.path, v), c.volume) << c.path;
}

}  // namespace
}  // namespace qb
