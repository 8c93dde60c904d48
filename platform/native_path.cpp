// native_path.cpp - file names as the system takes them: UTF-16 through the wide functions on Windows, bytes on POSIX.
#include "platform/native_path.h"

#include <cstring>
#include <iterator>
#include <vector>

#include "gateway/errors.h"
#include "platform/utf8.h"

#if defined(_WIN32)
#  include "platform/windows_api.h"
#else
#  include <cerrno>
#  include <sys/stat.h>
#  include <unistd.h>
#endif

namespace qorin::platform {
namespace {

// UTF-16 code units as UTF-8; a lone surrogate as itself or, with `textOnly`, as U+FFFD.
template <typename Unit>
std::string utf8FromUtf16(const Unit* units, std::size_t count, bool textOnly) {
    std::string out;
    out.reserve(count);
    for (std::size_t k = 0; k < count;) {
        const char32_t c = nextUtf16(units, count, k);
        appendUtf8(out, textOnly && isSurrogate(c) ? kReplacementCharacter : c);
    }
    return out;
}

#if defined(_WIN32)
// UTF-8 bytes as UTF-16; a byte that starts no valid sequence stands for U+FFFD.
std::wstring utf16FromUtf8(const char* bytes, std::size_t count) {
    std::wstring out;
    out.reserve(count);
    for (std::size_t k = 0; k < count;) {
        putUtf16<wchar_t>(nextUtf8(bytes, count, k), std::back_inserter(out));
    }
    return out;
}
#endif

constexpr std::size_t kMaxPath = 260;

}  // namespace

NativePath nativePathOfText(const void* characters, std::size_t count, std::size_t width) {
    if (count == 0 || characters == nullptr) return NativePath();
    if (width == 1) {
        const char* bytes = static_cast<const char*>(characters);
        if (std::memchr(bytes, '\0', count) != nullptr) failUsage(kNullInFileName);
#if defined(_WIN32)
        return utf16FromUtf8(bytes, count);
#else
        return NativePath(bytes, count);
#endif
    }
    const char16_t* units = static_cast<const char16_t*>(characters);
    for (std::size_t k = 0; k < count; ++k) {
        if (units[k] == 0) failUsage(kNullInFileName);
    }
#if defined(_WIN32)
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 code units");
    return NativePath(reinterpret_cast<const wchar_t*>(units), count);
#else
    return utf8FromUtf16(units, count, false);
#endif
}

std::string utf8Text(const NativePath& path) {
#if defined(_WIN32)
    return utf8FromUtf16(path.data(), path.size(), true);
#else
    return path;
#endif
}

std::string shownPath(const NativePath& absolute) {
    std::string text = utf8Text(absolute);
    if (text.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\" + text.substr(7);
    if (text.compare(0, 4, "\\\\?\\") == 0) return text.substr(4);
    return text;
}

std::wstring extendedLengthPath(const std::wstring& absolute) {
    if (absolute.size() < kMaxPath) return absolute;
    if (absolute.compare(0, 4, L"\\\\?\\") == 0 || absolute.compare(0, 4, L"\\\\.\\") == 0) return absolute;
    if (absolute.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + absolute.substr(2);
    return L"\\\\?\\" + absolute;
}

#if defined(_WIN32)

NativePath absolutePath(const NativePath& path) {
    if (path.empty()) return NativePath();
    // The first call tells the length with its terminating null; the folder may change between
    // the two calls, so the second may ask for more.
    std::wstring full;
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    for (int attempt = 0; attempt < 3 && size != 0; ++attempt) {
        full.assign(size, L'\0');
        const DWORD length = GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
        if (length == 0) return NativePath();
        if (length < size) {
            full.resize(length);
            return extendedLengthPath(full);
        }
        size = length;
    }
    return NativePath();
}

NativePath parentFolder(const NativePath& absolute) {
    const std::size_t last = absolute.find_last_of(L"\\/");
    if (last == NativePath::npos) return NativePath();
    NativePath folder = absolute.substr(0, last);
    // C:\ is a folder, C: the current folder of drive C.
    if (!folder.empty() && folder.back() == L':') folder += L'\\';
    return folder;
}

bool folderExists(const NativePath& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool pathExists(const NativePath& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

FileIdentity fileIdentity(const NativePath& path) {
    FileIdentity identity;
    // No access asked for, only the attributes: a file another program has open, whatever it
    // shares, still answers.  Backup semantics let a folder be opened too.
    HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return identity;
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileInformationByHandle(file, &information) != FALSE) {
        identity.known = true;
        identity.volume = information.dwVolumeSerialNumber;
        identity.file = (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
    }
    CloseHandle(file);
    return identity;
}

#else

NativePath absolutePath(const NativePath& path) {
    if (path.empty()) return NativePath();
    if (path[0] == '/') return path;
    std::vector<char> folder(4096);
    while (getcwd(folder.data(), folder.size()) == nullptr) {
        if (errno != ERANGE || folder.size() > (std::size_t{1} << 20)) return NativePath();
        folder.resize(folder.size() * 2);
    }
    NativePath absolute(folder.data());
    if (absolute.empty() || absolute.back() != '/') absolute += '/';
    return absolute + path;
}

NativePath parentFolder(const NativePath& absolute) {
    const std::size_t last = absolute.rfind('/');
    if (last == NativePath::npos) return NativePath();
    return last == 0 ? NativePath("/") : absolute.substr(0, last);
}

bool folderExists(const NativePath& path) {
    struct stat information {};
    return stat(path.c_str(), &information) == 0 && S_ISDIR(information.st_mode);
}

bool pathExists(const NativePath& path) {
    struct stat information {};
    return stat(path.c_str(), &information) == 0;
}

FileIdentity fileIdentity(const NativePath& path) {
    FileIdentity identity;
    struct stat information {};
    if (stat(path.c_str(), &information) != 0) return identity;
    identity.known = true;
    identity.volume = static_cast<std::uint64_t>(information.st_dev);
    identity.file = static_cast<std::uint64_t>(information.st_ino);
    return identity;
}

#endif

}  // namespace qorin::platform
