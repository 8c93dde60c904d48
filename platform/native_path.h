// native_path.h - a file name in the form the system's own file functions take, and what the module asks of such a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qorin::platform {

// Windows' wide functions take UTF-16 text, which reaches every name a user can give; the
// narrow ones read the ANSI code page and lose what it cannot hold.  POSIX systems take bytes:
// the host's text as it comes (UTF-8 in Octave).
#if defined(_WIN32)
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

// The usage message of a file name with a null character in it: the system would end the name there.
constexpr const char* kNullInFileName = "The file name must not contain a null character.";

// The name a host holds as `count` characters of `width` bytes each: MATLAB's UTF-16 (2) or
// Octave's UTF-8 bytes (1).  UTF-16 that is not text (a lone surrogate, which Windows takes
// in a name) reaches a POSIX system in UTF-8's form of it.  Throws CommandError (usage,
// kNullInFileName) when a character is null.
NativePath nativePathOfText(const void* characters, std::size_t count, std::size_t width);

// The name as UTF-8, for messages; what is not text in it becomes U+FFFD.
std::string utf8Text(const NativePath& path);

// An absolute name as UTF-8 the way people write it: without the \\?\ prefix that names past
// MAX_PATH characters carry for the system (\\?\UNC\server\... shown as \\server\...).
std::string shownPath(const NativePath& absolute);

// `path` made absolute, in a form the system's functions take whatever its length; empty when
// the system cannot tell.  On Windows GetFullPathNameW resolves it against the current drive
// and folder, turns / into \ and takes out . and .. (which \\?\ names keep as they are), and a
// result of MAX_PATH characters or more gets the \\?\ prefix (extendedLengthPath).  On POSIX
// a relative name is put after the current folder.
NativePath absolutePath(const NativePath& path);

// An absolute Windows name as the wide functions take it beyond MAX_PATH (260) characters:
// C:\... becomes \\?\C:\..., \\server\share\... becomes \\?\UNC\server\share\...; a shorter
// name, or one already in that form, stays as it is.  A plain routine, on every system.
std::wstring extendedLengthPath(const std::wstring& absolute);

// The folder an absolute name lies in: the name up to its last separator, a root kept whole.
NativePath parentFolder(const NativePath& absolute);

// Whether `path` names a folder; whether it names anything (file or folder).
bool folderExists(const NativePath& path);
bool pathExists(const NativePath& path);

// What tells one existing file from every other, whatever name reaches it (links, another
// spelling, 8.3 names, a relative or an absolute name): device and inode on POSIX, volume
// serial number and file index on Windows.
struct FileIdentity {
    bool known = false;
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity& other) const {
        return known && other.known && volume == other.volume && file == other.file;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};
// The identity of the file or folder `path` names; not known when there is none.
FileIdentity fileIdentity(const NativePath& path);

}  // namespace qorin::platform
