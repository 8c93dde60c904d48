// mex_text.h - text inputs (char arrays and MATLAB string scalars) as the host's own text and as text in the user's ANSI code page.
//
// Header-only, so that the module and the simulator's control MEX, which shares none of the
// module's objects, read text inputs the same way.  Every call here is one of the host's API and
// is made on the host's thread, from within mexFunction.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "mex.h"
#include "platform/mex_host.h"
#include "platform/win32.h"

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

// The characters of char array `chars` as the host's own C text, which is what its messages and
// mxCreateString take back: Octave's bytes as they are (UTF-8); MATLAB's 16-bit characters in
// UTF-8 from R2022a on, before that in the user's code page with a substitute ('?') for what
// it cannot hold.  A null character ends it.  For names and messages, never for the SDK.
inline std::string hostText(const mxArray* chars) {
    const std::size_t count = mxIsChar(chars) ? mxGetNumberOfElements(chars) : 0;
    if (count == 0) return std::string();
    if constexpr (sizeof(mxChar) == 1) {
        const char* source = reinterpret_cast<const char*>(mxGetChars(chars));
        const void* end = std::memchr(source, '\0', count);
        return std::string(source, end == nullptr ? count : static_cast<std::size_t>(static_cast<const char*>(end) - source));
    } else {
        const std::unique_ptr<char, detail::HostFree> converted(mxArrayToString(chars));
        if (converted == nullptr) throw std::bad_alloc();
        return std::string(converted.get());
    }
}

enum class TextStatus { kConverted, kUnrepresentable };

// The characters of char array `chars` (column-major) as C text in the user's ANSI code page,
// which is what the SDK's narrow-character functions read.  Octave's characters are already
// that text (UTF-8 bytes): they are taken as they are, null characters and all.  MATLAB's are
// UTF-16 and are converted here, not by the host, whose own C text is UTF-8 from R2022a on;
// kUnrepresentable means a character has no form in the code page, and so no file of that name
// can be reached.  A null character ends the C text there: `text` then ends with it, and what
// follows is not converted.
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
        if (!platform::codePageText(reinterpret_cast<const char16_t*>(source), length, text)) {
            return TextStatus::kUnrepresentable;
        }
        if (length < count) text.push_back('\0');
        return TextStatus::kConverted;
    }
}

}  // namespace qorin::host
