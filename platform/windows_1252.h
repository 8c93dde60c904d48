// windows_1252.h - Windows-1252, the usual ANSI code page of western Windows, one character at a time.
//
// The Windows stand-ins and the host double's model of MATLAB before UTF-8 both convert through it.
#pragma once

namespace qorin::platform {

// 0x80..0x9F; the five codes Windows-1252 leaves undefined stand for themselves, as Windows
// converts them.  Every other byte is the code point of the same value.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The character byte `b` stands for.
constexpr char16_t fromWindows1252(unsigned char b) {
    return b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : static_cast<char16_t>(b);
}

// The byte that stands for code point `c`, in `byte`; false where the code page has none.
inline bool toWindows1252(char32_t c, char& byte) {
    if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
        byte = static_cast<char>(c);
        return true;
    }
    for (unsigned b = 0; b < 32; ++b) {
        if (kWindows1252High[b] == c) {
            byte = static_cast<char>(0x80 + b);
            return true;
        }
    }
    return false;
}

}  // namespace qorin::platform
