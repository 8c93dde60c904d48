// input_values.cpp - the rules every command reads its inputs by, on plain values.
#include "gateway/input_values.h"

#include <cmath>
#include <cstring>

#include "gateway/errors.h"
#include "gateway/truncation.h"

namespace qorin {
namespace {

// The most of a given text a message quotes.
constexpr std::size_t kShownLength = 40;

char lowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool sameName(const std::string& given, const char* name) {
    const std::size_t length = std::strlen(name);
    if (given.size() != length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (lowerCase(given[i]) != lowerCase(name[i])) return false;
    }
    return true;
}

std::string excerpt(const std::string& given) {
    return given.size() > kShownLength ? given.substr(0, kShownLength) + "..." : given;
}

std::string textOf(const TextValue& input, const std::string& message) {
    if (!input.isText) fail(ErrorKind::Usage, message);
    if (!input.representable) failValue(kUnrepresentableText);
    return input.text;
}

std::size_t wordOf(const TextValue& input, const char* message, std::initializer_list<const char*> words) {
    const std::string given = textOf(input, message);
    std::size_t k = 0;
    for (const char* word : words) {
        if (sameName(given, word)) return k;
        ++k;
    }
    failValue(message);
}

std::uint64_t countOf(const NumberValue& input, const std::string& message) {
    if (!input.numeric || input.complex || input.elements != 1) fail(ErrorKind::Usage, message);
    const double value = input.value;
    if (!(value >= 1.0) || value != std::floor(value) || value > kExactWholeLimit) fail(ErrorKind::Value, message);
    return static_cast<std::uint64_t>(value);
}

bool flagOf(const NumberValue& input, const char* message) {
    if ((!input.logical && !input.numeric) || input.complex || input.elements != 1) fail(ErrorKind::Usage, message);
    if (input.value != 0.0 && input.value != 1.0) fail(ErrorKind::Value, message);
    return input.value != 0.0;
}

}  // namespace qorin
