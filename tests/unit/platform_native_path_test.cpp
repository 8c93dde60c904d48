// platform_native_path_test.cpp - file names as the system takes them: the host's characters, long Windows names, folders.
#include <gtest/gtest.h>

#include <string>

#include "gateway/errors.h"
#include "platform/native_path.h"
#include "tests/unit/command_failure.h"

namespace {

using qorin::platform::NativePath;

std::string nullRefused(const void* characters, std::size_t count, std::size_t width) {
    const qorin::CommandFailure failure =
        qorin::commandFailure([&] { qorin::platform::nativePathOfText(characters, count, width); });
    if (!failure.raised) return "accepted";
    return failure.kind == qorin::ErrorKind::Usage ? failure.message : "not a usage error";
}

TEST(NativePath, HostCharactersBecomeTheSystemsNameAndANullCharacterIsRefused) {
    const std::u16string utf16 = u"\u00c9t\u00e9 \u0141 \u65e5\u672c \U0001F600";
    const std::string utf8 = "\xc3\x89t\xc3\xa9 \xc5\x81 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80";
    const NativePath fromMatlab = qorin::platform::nativePathOfText(utf16.data(), utf16.size(), 2);
    const NativePath fromOctave = qorin::platform::nativePathOfText(utf8.data(), utf8.size(), 1);
#if defined(_WIN32)
    EXPECT_EQ(fromMatlab, std::wstring(utf16.begin(), utf16.end()));
#else
    EXPECT_EQ(fromMatlab, utf8);
#endif
    EXPECT_EQ(fromOctave, fromMatlab);
    EXPECT_EQ(qorin::platform::utf8Text(fromMatlab), utf8);
    // Windows takes a lone surrogate in a name, and messages show U+FFFD for it; a POSIX name
    // gets UTF-8's form of it.
    const std::u16string lone = u"a\xD800.tif";
    const NativePath loneName = qorin::platform::nativePathOfText(lone.data(), lone.size(), 2);
#if defined(_WIN32)
    EXPECT_EQ(loneName, std::wstring(lone.begin(), lone.end()));
    EXPECT_EQ(qorin::platform::utf8Text(loneName), "a\xef\xbf\xbd.tif");
#else
    EXPECT_EQ(loneName, "a\xed\xa0\x80.tif");
#endif

    const std::u16string withNull(u"a\0b.tif", 7);
    const std::string bytesWithNull("a\0b.tif", 7);
    EXPECT_EQ(nullRefused(withNull.data(), withNull.size(), 2), qorin::platform::kNullInFileName);
    EXPECT_EQ(nullRefused(bytesWithNull.data(), bytesWithNull.size(), 1), qorin::platform::kNullInFileName);
}

TEST(NativePath, LongWindowsNamesTakeTheExtendedPrefixForTheirKind) {
    using qorin::platform::extendedLengthPath;
    const std::wstring tail(300, L'x');
    EXPECT_EQ(extendedLengthPath(L"C:\\data\\run.tif"), L"C:\\data\\run.tif");
    EXPECT_EQ(extendedLengthPath(L"C:\\" + tail), L"\\\\?\\C:\\" + tail);
    EXPECT_EQ(extendedLengthPath(L"\\\\server\\share\\" + tail), L"\\\\?\\UNC\\server\\share\\" + tail);
    EXPECT_EQ(extendedLengthPath(L"\\\\?\\C:\\" + tail), L"\\\\?\\C:\\" + tail);
    EXPECT_EQ(extendedLengthPath(std::wstring(259, L'y')), std::wstring(259, L'y'));
    EXPECT_EQ(extendedLengthPath(L"D:" + std::wstring(258, L'y')), L"\\\\?\\D:" + std::wstring(258, L'y'));
    // The system resolves / . and .. first: \\?\ names keep them as they are.
#if defined(_WIN32)
    EXPECT_EQ(qorin::platform::absolutePath(L"C:/data/./" + tail + L"/../" + tail + L"/run.tif"),
              L"\\\\?\\C:\\data\\" + tail + L"\\run.tif");
#else
    EXPECT_EQ(qorin::platform::absolutePath("/data/./run.tif"), "/data/./run.tif");
#endif
}

TEST(NativePath, TheFolderOfANameKeepsARootWhole) {
    using qorin::platform::parentFolder;
#if defined(_WIN32)
    EXPECT_EQ(parentFolder(L"C:\\run.tif"), L"C:\\");
    EXPECT_EQ(parentFolder(L"C:\\data\\run.tif"), L"C:\\data");
    EXPECT_EQ(parentFolder(L"\\\\?\\C:\\run.tif"), L"\\\\?\\C:\\");
#else
    EXPECT_EQ(parentFolder("/run.tif"), "/");
    EXPECT_EQ(parentFolder("/data/run.tif"), "/data");
    EXPECT_EQ(parentFolder("/data/"), "/data");
#endif
}

}  // namespace
