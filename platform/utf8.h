// utf8.h - one code point into UTF-8 or UTF-16 and back, as the module's text and file-name conversions need.
//
// Header-only, so that the module and the Windows stand-ins, which share none of the module's
// objects, convert alike.  Lone surrogates pass both ways in UTF-8's form (as WTF-8 writes them),
// so that no UTF-16 file name is lost on its way to a POSIX name or back.
#pragma once

#include <cstddef>
#include <string>

namespace qorin::platform {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// Appends code point `c` in UTF-8's form.
inline void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The code point of the UTF-8 sequence at bytes[at] (`count` bytes in all), `at` moved past it;
// U+FFFD for a byte that starts no valid sequence, which is then passed alone.
inline char32_t nextUtf8(const char* bytes, std::size_t count, std::size_t& at) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    const unsigned char lead = b[at];
    const std::size_t extra = lead < 0x80 ? 0 : lead >= 0xF5 ? 4 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : 4;
    char32_t c = extra == 0 ? lead : extra == 3 ? lead & 0x07u : extra == 2 ? lead & 0x0Fu : lead & 0x1Fu;
    bool valid = extra < 4;
    for (std::size_t j = 1; valid && j <= extra; ++j) {
        valid = at + j < count && (b[at + j] & 0xC0) == 0x80;
        if (valid) c = (c << 6) | (b[at + j] & 0x3Fu);
    }
    valid = valid && !(extra == 2 && c < 0x800) && !(extra == 3 && (c < 0x10000 || c > 0x10FFFF));
    at += valid ? extra + 1 : 1;
    return valid ? c : kReplacementCharacter;
}

// The code point a UTF-16 surrogate pair stands for.
constexpr char32_t fromSurrogates(char32_t high, char32_t low) { return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00); }

constexpr bool isSurrogate(char32_t c) { return c >= 0xD800 && c < 0xE000; }

// The code point of the UTF-16 units at units[at] (`count` units in all), a surrogate pair as
// one, `at` moved past them; a lone surrogate comes back as itself, for the caller to judge.
template <typename Unit>
char32_t nextUtf16(const Unit* units, std::size_t count, std::size_t& at) {
    const char32_t c = static_cast<char32_t>(units[at++]) & 0xFFFFu;
    if (c < 0xD800 || c >= 0xDC00 || at == count) return c;
    const char32_t low = static_cast<char32_t>(units[at]) & 0xFFFFu;
    if (low < 0xDC00 || low >= 0xE000) return c;
    ++at;
    return fromSurrogates(c, low);
}

// Writes code point `c` as its one or two UTF-16 units of type `Unit`; returns `out` moved past them.
template <typename Unit, typename Out>
Out putUtf16(char32_t c, Out out) {
    if (c >= 0x10000) {
        *out++ = static_cast<Unit>(0xD800 + ((c - 0x10000) >> 10));
        *out++ = static_cast<Unit>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        *out++ = static_cast<Unit>(c);
    }
    return out;
}

}  // namespace qorin::platform
