// args.h - argument predicates, value conversions and the converted parameters a handler receives.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "gateway/command_registry.h"
#include "mex.h"
#include "platform/mex_host.h"

namespace qorin {

// A real, non-empty numeric array of exactly one element (rows x columns); any numeric class.
bool isIntegerScalar(const mxArray* array);
// A real, non-empty double array of exactly one element.
bool isDoubleScalar(const mxArray* array);
// A non-empty logical array; only its first element counts.
bool isLogicalScalar(const mxArray* array);

// The scalar value truncated toward zero; NaN and values outside 32 bits give INT32_MIN.
std::int32_t integerConversion(const mxArray* array);
// The first element's value as a double, whatever the numeric class (0 where there is none).
double doubleConversion(const mxArray* array);
// The first element of a logical array, 0 or 1.
std::uint8_t logicalConversion(const mxArray* array);

// The converted parameters of one call, numbered as MATLAB sees them (parameter 1 first).
class Args {
public:
    struct Value {
        std::int32_t integer = 0;
        double real = 0.0;
        float single = 0.0f;
        std::uint8_t logical = 0;
        const mxArray* array = nullptr;  // the untouched input, for every parameter; for text, its chars
        std::string text;                // text in the user's default encoding
        host::HostArray chars;           // char() of a string scalar, which `array` then is
    };

    std::int32_t integer(int parameter) const { return values_[index(parameter)].integer; }
    double real(int parameter) const { return values_[index(parameter)].real; }
    float single(int parameter) const { return values_[index(parameter)].single; }
    bool logical(int parameter) const { return values_[index(parameter)].logical != 0; }
    const mxArray* array(int parameter) const { return values_[index(parameter)].array; }
    const std::string& text(int parameter) const { return values_[index(parameter)].text; }

    Value& at(int parameter) { return values_[index(parameter)]; }

private:
    static int index(int parameter) { return parameter >= 1 && parameter <= kMaxParameters ? parameter - 1 : 0; }
    std::array<Value, kMaxParameters> values_{};
};

}  // namespace qorin
