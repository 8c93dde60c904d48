// input_values.h - a command's inputs as plain values, and the rules every command reads them by: text, words, counts, flags.
//
// No host types here: the rules take what the host's arrays were found to be (gateway/args.h
// reads them), so that a reader built on them, such as the recording's options, is tested with
// plain values alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/native_path.h"

namespace qorin {

// The value error of text that the user's default character encoding cannot hold.
inline constexpr const char* kUnrepresentableText =
    "The text holds a character that the user's default character encoding cannot represent.";

// An input read as text, not yet judged.
struct TextValue {
    bool isText = false;        // a character row or a string scalar
    bool representable = true;  // every character has a form in the user's encoding
    std::string text;           // in that encoding
};

// An input read as a number, not yet judged.
struct NumberValue {
    bool numeric = false;  // of a numeric class (not logical, not char)
    bool logical = false;
    bool complex = false;
    std::size_t elements = 0;
    double value = 0.0;  // the first element's real part (0 when there is none)
};

// An input read as the name of one of the module's own files, not yet judged.
struct FileNameValue {
    bool isText = false;        // a character row or a string scalar
    platform::NativePath path;  // as the system's file functions take it, relative as given
    std::string shown;          // as the host holds it, for messages
};

// A command's inputs after its name or code, each read from the host when a rule asks for it
// (reading text may call the host), numbered from 0.
class InputValues {
public:
    virtual ~InputValues() = default;
    virtual int size() const = 0;
    virtual TextValue text(int k) const = 0;
    virtual NumberValue number(int k) const = 0;
    // Of a text class, whatever its shape.
    virtual bool textClass(int k) const = 0;
    // Throws kNullInFileName (usage) for a name with a null character.
    virtual FileNameValue fileName(int k) const = 0;
};

// Whether `given` is `name` but for the case of ASCII letters: how command names and the
// words of their options are matched.
bool sameName(const std::string& given, const char* name);

// What of a text the user gave a message quotes: only so much of it, "..." for the rest.
std::string excerpt(const std::string& given);

// The text, or `message` as a usage error; text the user's encoding cannot hold is a value error.
std::string textOf(const TextValue& input, const std::string& message);
// Which of `words` the text names, without regard to case; `message` as a usage error for an
// input that is not text and as a value error for any other word.
std::size_t wordOf(const TextValue& input, const char* message, std::initializer_list<const char*> words);
// A real numeric scalar holding a whole number of at least 1; `message` as a usage error for
// another class or size, as a value error for another number.
std::uint64_t countOf(const NumberValue& input, const std::string& message);
// A logical or real numeric scalar that is 0 or 1; `message` as a usage error for another class
// or size, as a value error for another number (NaN, 2): they say nothing a flag can mean.
bool flagOf(const NumberValue& input, const char* message);

}  // namespace qorin
