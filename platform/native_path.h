// native_path.h - a file name in the form the system's own file functions take.
#pragma once

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

}  // namespace qorin::platform
