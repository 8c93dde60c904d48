// args.h - argument predicates, value conversions, and the inputs a handler receives: converted by its registry row, or read by a named command itself.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "gateway/command_registry.h"
#include "gateway/input_values.h"
#include "mex.h"
#include "platform/mex_host.h"

namespace qorin {

// A real, non-empty numeric array of exactly one element (rows x columns); any numeric class.
bool isIntegerScalar(const mxArray* array);
// A real, non-empty double array of exactly one element.
bool isDoubleScalar(const mxArray* array);
// A non-empty logical array; only its first element counts.
bool isLogicalScalar(const mxArray* array);

// The chars of a text input that is one row (a char array, or a string scalar's char(), held
// by `converted`), or null for any other input.
const mxArray* textRow(const mxArray* input, host::HostArray& converted);

// The scalar value truncated toward zero; NaN and values outside 32 bits give INT32_MIN.
std::int32_t integerConversion(const mxArray* array);
// The first element's value as a double, whatever the numeric class (0 where there is none).
double doubleConversion(const mxArray* array);
// The first element of a logical array, 0 or 1.
std::uint8_t logicalConversion(const mxArray* array);

// The converted parameters of one call, numbered as MATLAB sees them (parameter 1 first).
// Each parameter remembers how the dispatch converted it, and an accessor that does not fit
// that conversion (or a parameter the command does not have) throws std::logic_error: an
// internal error, never an argument error, since the registry row decides what a handler
// receives and a correct handler reads only that.
class Args {
public:
    struct Value {
        std::int32_t integer = 0;
        double real = 0.0;
        float single = 0.0f;
        std::uint8_t logical = 0;
        const mxArray* array = nullptr;  // the untouched input; for text, its chars
        std::string text;                // text in the user's default encoding
        host::HostArray chars;           // char() of a string scalar, which `array` then is
    };

    // Integer and IntegerAsSingle parameters.
    std::int32_t integer(int parameter) const {
        return read(parameter, Conv::Integer, Conv::IntegerAsSingle, "an integer").integer;
    }
    // Double and Single parameters.
    double real(int parameter) const { return read(parameter, Conv::Double, Conv::Single, "a double").real; }
    // Single and IntegerAsSingle parameters.
    float single(int parameter) const {
        return read(parameter, Conv::Single, Conv::IntegerAsSingle, "a single").single;
    }
    bool logical(int parameter) const {
        return read(parameter, Conv::Logical, Conv::Logical, "a logical").logical != 0;
    }
    // Array parameters, and the chars of text parameters.
    const mxArray* array(int parameter) const { return read(parameter, Conv::Array, Conv::Text, "an array").array; }
    const std::string& text(int parameter) const { return read(parameter, Conv::Text, Conv::Text, "text").text; }

    // The value of `parameter`, converted as `conversion`, for the dispatch (or a test) to fill.
    Value& store(int parameter, Conv conversion);

private:
    const Value& read(int parameter, Conv conversion, Conv alternative, const char* readAs) const {
        if (parameter < 1 || parameter > kMaxParameters) failRead(parameter, readAs);
        const auto k = static_cast<std::size_t>(parameter - 1);
        if (!stored_[k] || (conversions_[k] != conversion && conversions_[k] != alternative)) {
            failRead(parameter, readAs);
        }
        return values_[k];
    }
    [[noreturn]] void failRead(int parameter, const char* readAs) const;

    std::array<Value, kMaxParameters> values_{};
    std::array<Conv, kMaxParameters> conversions_{};
    std::array<bool, kMaxParameters> stored_{};
};

struct CameraRecord;

// The inputs of a named command after its name, which it reads and checks itself by the rules
// of gateway/input_values.h: each reader raises the message it is given.
class NamedInputs final : public InputValues {
public:
    NamedInputs(int count, const mxArray* const inputs[]) : count_(count), inputs_(inputs) {}

    int size() const override { return count_; }
    TextValue text(int k) const override;
    NumberValue number(int k) const override;
    bool textClass(int k) const override;
    FileNameValue fileName(int k) const override;

    std::size_t word(int k, const char* message, std::initializer_list<const char*> words) const {
        return wordOf(text(k), message, words);
    }
    std::uint64_t count(int k, const std::string& message) const { return countOf(number(k), message); }

    // Input 0 as a camera number: "<call> needs the camera number, an integer." (usage) when it
    // is missing or not a real numeric scalar.
    std::int32_t cameraNumber(const std::string& call) const;
    // The connected camera input 0 names: as cameraNumber, then the not-connected messages of
    // connectedCamera, "Camera %d is not connected." last.
    CameraRecord& camera(const std::string& call) const;
    // "Too many inputs. The call is <call>." (usage) beyond `most` inputs.
    void atMost(int most, const char* call) const;
    // `message` (usage) for any input at all.
    void none(const char* message) const;

private:
    int count_;
    const mxArray* const* inputs_;
};

}  // namespace qorin
