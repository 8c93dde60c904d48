// args.cpp - argument predicates and value conversions shared by every command.
#include "gateway/args.h"

#include <stdexcept>

#include "camera/camera_state.h"
#include "gateway/errors.h"
#include "gateway/truncation.h"
#include "platform/mex_host.h"
#include "platform/mex_text.h"

namespace qorin {

bool isIntegerScalar(const mxArray* array) {
    return mxIsNumeric(array) && host::rowsTimesColumns(array) == 1 && !mxIsComplex(array) && !mxIsEmpty(array);
}

bool isDoubleScalar(const mxArray* array) {
    return host::rowsTimesColumns(array) == 1 && !mxIsComplex(array) && !mxIsEmpty(array) && mxIsDouble(array);
}

bool isLogicalScalar(const mxArray* array) {
    return !mxIsEmpty(array) && mxIsLogical(array) && mxGetNumberOfElements(array) != 0;
}

std::int32_t integerConversion(const mxArray* array) { return truncateToInt32(host::scalarValue(array)); }

double doubleConversion(const mxArray* array) { return host::elementValue(array, 0); }

std::uint8_t logicalConversion(const mxArray* array) {
    if (!mxIsLogical(array) || mxGetNumberOfElements(array) == 0) return 0;
    return host::elementValue(array, 0) != 0.0 ? 1 : 0;
}

namespace {

const char* conversionName(Conv conversion) {
    switch (conversion) {
        case Conv::Integer: return "an integer";
        case Conv::Double: return "a double";
        case Conv::Single: return "a single";
        case Conv::IntegerAsSingle: return "an integer held as a single";
        case Conv::Logical: return "a logical";
        case Conv::Array: return "an array";
        case Conv::Text: return "text";
    }
    return "unknown";
}

}  // namespace

Args::Value& Args::store(int parameter, Conv conversion) {
    if (parameter < 1 || parameter > kMaxParameters) {
        throw std::logic_error(
            formatText("parameter %d stored beyond the %d a call carries", parameter, kMaxParameters));
    }
    const auto k = static_cast<std::size_t>(parameter - 1);
    conversions_[k] = conversion;
    stored_[k] = true;
    return values_[k];
}

void Args::failRead(int parameter, const char* readAs) const {
    if (parameter < 1 || parameter > kMaxParameters || !stored_[static_cast<std::size_t>(parameter - 1)]) {
        throw std::logic_error(
            formatText("parameter %d read as %s, but the command has no such parameter", parameter, readAs));
    }
    const auto k = static_cast<std::size_t>(parameter - 1);
    throw std::logic_error(formatText("parameter %d read as %s, but converted as %s", parameter, readAs,
                                      conversionName(conversions_[k])));
}

const mxArray* textRow(const mxArray* input, host::HostArray& converted) {
    const mxArray* chars = host::textChars(input, converted);
    if (chars == nullptr || mxGetNumberOfDimensions(chars) != 2 || mxGetM(chars) > 1) return nullptr;
    return chars;
}

TextValue NamedInputs::text(int k) const {
    TextValue value;
    host::HostArray converted;
    const mxArray* chars = k < count_ ? textRow(inputs_[k], converted) : nullptr;
    if (chars == nullptr) return value;
    value.isText = true;
    value.representable = host::convertText(chars, value.text) != host::TextStatus::kUnrepresentable;
    return value;
}

NumberValue NamedInputs::number(int k) const {
    NumberValue value;
    if (k >= count_ || inputs_[k] == nullptr) return value;
    const mxArray* input = inputs_[k];
    value.numeric = mxIsNumeric(input);
    value.logical = mxIsLogical(input);
    value.complex = mxIsComplex(input);
    value.elements = mxGetNumberOfElements(input);
    value.value = host::scalarValue(input);
    return value;
}

bool NamedInputs::textClass(int k) const { return k < count_ && host::isTextInput(inputs_[k]); }

FileNameValue NamedInputs::fileName(int k) const {
    FileNameValue value;
    host::HostArray converted;
    const mxArray* chars = k < count_ ? textRow(inputs_[k], converted) : nullptr;
    if (chars == nullptr) return value;
    value.isText = true;
    value.path = platform::nativePathOfText(mxGetChars(chars), mxGetNumberOfElements(chars), sizeof(mxChar));
    if (!value.path.empty()) value.shown = host::hostText(chars);
    return value;
}

std::int32_t NamedInputs::cameraNumber(const std::string& call) const {
    if (count_ < 1 || !isIntegerScalar(inputs_[0])) fail(ErrorKind::Usage, call + " needs the camera number, an integer.");
    return integerConversion(inputs_[0]);
}

CameraRecord& NamedInputs::camera(const std::string& call) const {
    return connectedCamera(cameraNumber(call), "Camera %d is not connected.");
}

void NamedInputs::atMost(int most, const char* call) const {
    if (count_ > most) fail(ErrorKind::Usage, formatText("Too many inputs. The call is %s.", call));
}

void NamedInputs::none(const char* message) const {
    if (count_ != 0) failUsage(message);
}

}  // namespace qorin
