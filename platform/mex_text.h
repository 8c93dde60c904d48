// mex_text.h - text inputs (char arrays and MATLAB string scalars) as C text in the user's default encoding.
//
// Header-only, so that the module and the simulator's control MEX, which shares none of the
// module's objects, convert text the same way.  Every call here is one of the host's API and
// is made on the host's thread, from within mexFunction.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "mex.h"
#include "platform/mex_host.h"

namespace qorin::host {
namespace detail {

struct HostFree {
    void operator()(char* text) const noexcept { mxFree(text); }
};

// One output of a MATLAB function of one input.  Without a trap flag MATLAB ends the call
// itself when the function fails, so a status comes back only when the host double cannot
// create the result.
inline HostArray callHost(const char* function, const mxArray* input) {
    mxArray* output = nullptr;
    mxArray* argument = const_cast<mxArray*>(input);  // the API takes non-const inputs and leaves them alone
    if (mexCallMATLAB(1, &output, 1, &argument, function) != 0 || output == nullptr) throw std::bad_alloc();
    return HostArray(output);
}

}  // namespace detail

// The char array a text input stands for: the input itself when it is a char array; for a
// string scalar (MATLAB R2017a on), MATLAB's char() of it, held by `converted`.  Null for
// anything else, string arrays that are not one element and the missing string included, so
// that the caller raises the message it raises for a wrong class.  Octave 7 has no string
// class, so there only char arrays are text.
inline const mxArray* textChars(const mxArray* input, HostArray& converted) {
    if (input == nullptr) return nullptr;
    if (mxIsChar(input)) return input;
    if (!mxIsClass(input, "string")) return nullptr;
    // char() of a missing string is no text the user wrote; ismissing also gives the count.
    const HostArray missing = detail::callHost("ismissing", input);
    if (!mxIsLogical(missing.get()) || mxGetNumberOfElements(missing.get()) != 1 || mxGetLogicals(missing.get())[0]) {
        return nullptr;
    }
    converted = detail::callHost("char", input);
    return mxIsChar(converted.get()) ? converted.get() : nullptr;
}

enum class TextStatus { kConverted, kUnrepresentable };

// The characters of char array `chars` (column-major) as C text in the user's default encoding,
// which is what the SDK's narrow-character file functions read.  Octave's characters are
// already that text (UTF-8 bytes): they are taken as they are, null characters and all.
// MATLAB's are 16-bit and go through the host's own conversion; a character that encoding
// cannot hold comes back as a substitute ('?' or another), so the result is converted back
// and compared, and kUnrepresentable means no file of that name can be reached.  A null
// character ends the C text there: `text` then ends with it, and what follows is not converted.
inline TextStatus convertText(const mxArray* chars, std::string& text) {
    text.clear();
    const mxChar* source = mxIsChar(chars) ? mxGetChars(chars) : nullptr;
    const std::size_t count = source == nullptr ? 0 : mxGetNumberOfElements(chars);
    if (count == 0) return TextStatus::kConverted;
    if constexpr (sizeof(mxChar) == 1) {
        text.assign(reinterpret_cast<const char*>(source), count);
        return TextStatus::kConverted;
    } else {
        std::size_t length = 0;
        while (length < count && source[length] != 0) ++length;
        const std::unique_ptr<char, detail::HostFree> converted(mxArrayToString(chars));
        if (converted == nullptr) throw std::bad_alloc();
        text.assign(converted.get());
        // ASCII converts to itself in every encoding a Windows user can have as default:
        // comparing the bytes spares the round trip and its array for most names.
        bool exact = text.size() == length;
        for (std::size_t k = 0; exact && k < length; ++k) {
            const auto character = static_cast<unsigned>(source[k]);
            exact = character < 0x80u && static_cast<unsigned>(static_cast<unsigned char>(text[k])) == character;
        }
        if (!exact) {
            const HostArray back(mxCreateString(text.c_str()));
            if (back == nullptr) throw std::bad_alloc();
            exact = mxGetNumberOfElements(back.get()) == length &&
                    (length == 0 || std::memcmp(mxGetChars(back.get()), source, length * sizeof(mxChar)) == 0);
        }
        if (!exact) return TextStatus::kUnrepresentable;
        if (length < count) text.push_back('\0');
        return TextStatus::kConverted;
    }
}

}  // namespace qorin::host
