// The kernel32 stand-in: the three ANSI functions of win32.h that find the
// Windows directory and read and write INI files (GetWindowsDirectoryA,
// GetPrivateProfileStringA, WritePrivateProfileStringA), with the original
// platform's documented behaviour. Target qb_kernel32_static links them
// statically; libqb_kernel32.so exports exactly these three for callers that
// bind "kernel32" at run time. Both copies keep no state between calls: the
// environment and the files are read afresh on every call. Any thread may
// call; nothing is cached. The INI format is described in doc/ini.md.
//
// Texts. Every text crosses as NUL-terminated code page 932 bytes (the ANSI
// code page). Section names, key names and values are bytes: they are never
// converted, and code page 932 double-byte characters go through unchanged.
// File names are converted from code page 932 to UTF-8, the encoding of
// Linux paths, before the file system sees them (ASCII names are unchanged);
// a file name that is not valid code page 932 names no file.
//
// The Windows directory. $XDG_CONFIG_HOME/quillbox/windows, or
// ~/.config/quillbox/windows when XDG_CONFIG_HOME is unset, empty or not an
// absolute path (the home directory is $HOME, else the password database's).
// It and its missing parents are created with mode 0700 by
// GetWindowsDirectoryA and by a write to a file name without a directory.
//
// GetWindowsDirectoryA(buffer, size): copies the Windows directory's path (no
//   trailing "/") in code page 932 with a NUL into |buffer| and returns its
//   length without the NUL. When |size| is smaller than that length + 1 (or
//   |buffer| is null), nothing is written and the length + 1 is returned.
//   Returns 0, writing nothing, when no home directory can be found, when the
//   directory cannot be created, or when the path cannot be represented in
//   code page 932: a path that is not UTF-8, or that holds a character which
//   code page 932 lacks or maps back to a different character (U+301C WAVE
//   DASH, for instance, would come back as U+FF5E), since such a path handed
//   back through the ANSI functions would name another directory.
//
// Resolving |file| (both INI functions). A name without "/" is a file in the
// Windows directory; any other name is used as it is (relative names from
// the current directory). A null or empty name, or one that is not valid code
// page 932, names no file. A symbolic link is followed; the link is kept.
//
// GetPrivateProfileStringA(app, key, default_value, out, size, file):
//   - app and key not null: copies the value of |key| in the section |app|.
//     Names are compared without regard to ASCII letter case, blanks (space,
//     tab) around them ignored; the value has the blanks around it removed
//     and then one pair of matching quotes (" or ') around it. When the file,
//     the section or the key is missing, or the file cannot be read, copies
//     |default_value| (null: "") without its trailing blanks instead. With
//     duplicate sections only the first is searched; with duplicate keys the
//     first counts.
//   - app null: copies the names of all sections in file order (duplicates
//     included); key null: the key names of the first section |app|. Each
//     name is followed by a NUL and the list by a second NUL; an empty list
//     (also for a missing file or section) is two NULs (one when |size| is 1).
//   Returns the number of bytes copied without the final NUL. When the text
//   does not fit, it is cut after size - 1 bytes (a double-byte character may
//   be cut in two), a NUL is added and size - 1 is returned; a list is cut
//   after size - 2 bytes, two NULs are added and size - 2 is returned (0 when
//   size < 2). A null |out| or a |size| of 0 writes nothing and returns 0.
//
// WritePrivateProfileStringA(app, key, value, file): returns TRUE (1) on
//   success, FALSE (0) when nothing could be written.
//   - value not null: sets |key| in the first section |app| to |value|. An
//     existing key line keeps everything before its old value (its spelling,
//     indentation and "="), and only the value is replaced; a new key is added
//     after the section's last key line; a new section is added at the end of
//     the file. A missing file is created; its directory must exist, except
//     that the Windows directory is created for a name without "/". The value
//     is written as given (blanks and quotes are not protected).
//   - value null: deletes every line of |key| in the first section |app|.
//   - key null: deletes every section |app| (all occurrences) with its key
//     lines, blank lines and other lines; comment lines are kept.
//   Deleting what is not there succeeds without touching the file (a missing
//   file is not created). Every other line of the file, its line ends
//   included, is kept byte for byte; new lines take the file's line end (CR LF
//   for a new file). The file is replaced atomically: written to a temporary
//   file in its directory, flushed, renamed into place, keeping its mode; a
//   failure at any step leaves the old file as it was. Writers in several
//   processes take turns (a lock on the directory), so none loses another's
//   change.
//   FALSE without touching anything for a null |app| or |file|, for names that
//   could not be read back as written (a line break in any text, "]" in |app|,
//   "=" in |key|, a |key| that begins with ";" or "[", a new section whose
//   name ends in a lone lead byte, which would take the "]" of its header for
//   its second byte), for a file that cannot be read or is not a regular
//   file, and when the directory lock stays taken for five seconds.
#pragma once

#include <string>

#include "platform/win32.h"

namespace qb::kernel32 {

// The Windows directory as the file system names it (UTF-8 bytes), without
// creating it; empty when no home directory can be found.
std::string WindowsDirectoryPath();

}  // namespace qb::kernel32
