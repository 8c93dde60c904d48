// qorinsim_mex.cpp - the qorinsim MEX: sets up and inspects the simulated cameras from Octave or MATLAB tests.
#include "mex.h"

#include "platform/mex_text.h"
#include "platform/win32.h"
#include "sdk/frame_format_fields.h"
#include "sim/sim_control.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using qorin::FrameFormatField;
using qorin::kFrameFormatFields;
using qorin::kFrameRateField;
using qorinsim::LogValue;
using qorinsim::SimulatedCamera;

[[noreturn]] void fail(const std::string& message) { throw std::runtime_error(message); }

// Argument readers: every class is checked before the MEX API is asked for a value, since
// the API raises on arrays of the wrong kind and that would bypass our own messages.

bool isRealNumber(const mxArray* a) {
    return (mxIsNumeric(a) || mxIsLogical(a)) && !mxIsComplex(a) && !mxIsSparse(a);
}

double scalarArg(const mxArray* a, const std::string& what) {
    if (!isRealNumber(a) || mxGetNumberOfElements(a) != 1) fail(what + " must be a real scalar");
    return mxGetScalar(a);
}

double integerArg(const mxArray* a, const std::string& what, double low, double high) {
    double v = scalarArg(a, what);
    if (!(v == std::floor(v)) || v < low || v > high)
        fail(what + " must be an integer from " + std::to_string(static_cast<long long>(low)) + " to " +
             std::to_string(static_cast<long long>(high)));
    return v;
}

uint32_t wordArg(const mxArray* a, const std::string& what) {
    return static_cast<uint32_t>(integerArg(a, what, 0, 4294967295.0));
}

// A char array or string scalar as the host's own text (every name here is ASCII); it ends at a
// null character.
std::string textArg(const mxArray* a, const std::string& what) {
    qorin::host::HostArray converted;
    const mxArray* chars = qorin::host::textChars(a, converted);
    if (chars == nullptr) fail(what + " must be a character row");
    return qorin::host::hostText(chars);
}

template <typename T>
void copyAs(const void* data, std::vector<double>& values) {
    const auto* typed = static_cast<const T*>(data);
    for (std::size_t k = 0; k < values.size(); ++k) values[k] = static_cast<double>(typed[k]);
}

// All elements of a real numeric or logical array as doubles, in MATLAB's column-major order.
std::vector<double> numbersArg(const mxArray* a, const std::string& what) {
    if (!isRealNumber(a)) fail(what + " must be a real numeric array");
    std::size_t n = mxGetNumberOfElements(a);
    std::vector<double> values(n);
    const void* data = mxGetData(a);
    switch (mxGetClassID(a)) {
        case mxDOUBLE_CLASS: copyAs<double>(data, values); break;
        case mxSINGLE_CLASS: copyAs<float>(data, values); break;
        case mxLOGICAL_CLASS: copyAs<mxLogical>(data, values); break;
        case mxINT8_CLASS: copyAs<int8_t>(data, values); break;
        case mxUINT8_CLASS: copyAs<uint8_t>(data, values); break;
        case mxINT16_CLASS: copyAs<int16_t>(data, values); break;
        case mxUINT16_CLASS: copyAs<uint16_t>(data, values); break;
        case mxINT32_CLASS: copyAs<int32_t>(data, values); break;
        case mxUINT32_CLASS: copyAs<uint32_t>(data, values); break;
        case mxINT64_CLASS: copyAs<int64_t>(data, values); break;
        case mxUINT64_CLASS: copyAs<uint64_t>(data, values); break;
        default: fail(what + " must be a real numeric array");
    }
    return values;
}

std::vector<double> numbersArg(const mxArray* a, const std::string& what, std::size_t count) {
    std::vector<double> values = numbersArg(a, what);
    if (values.size() != count) fail(what + " must have " + std::to_string(count) + " elements");
    return values;
}

int cameraNumberArg(const mxArray* a) {
    return static_cast<int>(integerArg(a, "camera number", 1, qorinsim::kMaxCameras));
}

SimulatedCamera& cameraArg(const mxArray* a) { return *qorinsim::camera(cameraNumberArg(a)); }

template <typename T>
T checkedInteger(double v, const std::string& what, double low, double high) {
    if (!(v == std::floor(v)) || v < low || v > high) fail(what + " out of range");
    return static_cast<T>(v);
}

// Results

mxArray* number(double v) { return mxCreateDoubleScalar(v); }

mxArray* logical(bool v) { return mxCreateLogicalScalar(v); }

mxArray* doubleRow(const std::vector<double>& values) {
    mxArray* a = mxCreateDoubleMatrix(1, values.size(), mxREAL);
    if (!values.empty()) std::memcpy(mxGetPr(a), values.data(), values.size() * sizeof(double));
    return a;
}

mxArray* empty() { return mxCreateDoubleMatrix(0, 0, mxREAL); }

mxArray* byteRow(const std::vector<uint8_t>& bytes) {
    mxArray* a = mxCreateNumericMatrix(1, bytes.size(), mxUINT8_CLASS, mxREAL);
    if (!bytes.empty()) std::memcpy(mxGetData(a), bytes.data(), bytes.size());
    return a;
}

mxArray* structOf(const std::vector<std::string>& names, std::size_t count, bool row = true) {
    std::vector<const char*> fields;
    for (const auto& name : names) fields.push_back(name.c_str());
    return mxCreateStructMatrix(row ? 1 : count, row ? count : 1, static_cast<int>(fields.size()), fields.data());
}

// The FrameFormat fields in the record's own order, as the call log shows them.
std::vector<FrameFormatField> recordOrder() {
    std::vector<FrameFormatField> fields(std::begin(kFrameFormatFields),
                                                   std::end(kFrameFormatFields));
    std::sort(fields.begin(), fields.end(), [](const auto& a, const auto& b) { return a.offset_ < b.offset_; });
    return fields;
}

mxArray* frameFormatStruct(const FrameFormat& f) {
    static const std::vector<FrameFormatField> fields = recordOrder();
    std::vector<std::string> names;
    for (const auto& field : fields) names.push_back(field.name_);
    mxArray* s = structOf(names, 1);
    for (std::size_t k = 0; k < fields.size(); ++k)
        mxSetFieldByNumber(s, 0, static_cast<int>(k), number(fields[k].get(f)));
    return s;
}

// SnapshotSettings fields as the call log shows them, in record order.
struct SettingsField {
    const char* name_;
    mxArray* (*value_)(const SnapshotSettings&);
};

const SettingsField kSettingsFields[] = {
    {"exposure", [](const SnapshotSettings& r) { return number(r.exposure); }},
    {"gain", [](const SnapshotSettings& r) { return number(r.gain); }},
    {"redGain", [](const SnapshotSettings& r) { return number(r.redGain); }},
    {"blueGain", [](const SnapshotSettings& r) { return number(r.blueGain); }},
    {"green1Gain", [](const SnapshotSettings& r) { return number(r.green1Gain); }},
    {"green2Gain", [](const SnapshotSettings& r) { return number(r.green2Gain); }},
    {"strobe", [](const SnapshotSettings& r) { return number(r.strobe); }},
    {"strobeDelay", [](const SnapshotSettings& r) { return number(r.strobeDelay); }},
    {"trigger", [](const SnapshotSettings& r) { return number(r.trigger); }},
    {"timeout", [](const SnapshotSettings& r) { return number(r.timeout); }},
    {"format", [](const SnapshotSettings& r) { return frameFormatStruct(r.format); }},
    {"shutterType", [](const SnapshotSettings& r) { return number(r.shutterType); }}};

mxArray* settingsStruct(const std::vector<uint8_t>& bytes) {
    std::size_t count = bytes.size() / sizeof(SnapshotSettings);
    std::vector<std::string> names;
    for (const auto& field : kSettingsFields) names.push_back(field.name_);
    mxArray* s = structOf(names, count);
    for (std::size_t k = 0; k < count; ++k) {
        SnapshotSettings r;
        std::memcpy(&r, bytes.data() + k * sizeof(SnapshotSettings), sizeof r);
        for (std::size_t f = 0; f < std::size(kSettingsFields); ++f)
            mxSetFieldByNumber(s, k, static_cast<int>(f), kSettingsFields[f].value_(r));
    }
    return s;
}

mxArray* logValue(const LogValue& v) {
    switch (v.kind_) {
        case LogValue::Kind::kEmpty: return empty();
        case LogValue::Kind::kNumber: return number(v.number_);
        case LogValue::Kind::kBytes: return byteRow(v.bytes_);
        case LogValue::Kind::kDoubles: return doubleRow(v.doubles_);
        case LogValue::Kind::kText: return mxCreateString(std::string(v.bytes_.begin(), v.bytes_.end()).c_str());
        case LogValue::Kind::kFrameFormat: {
            FrameFormat f;
            std::memcpy(&f, v.bytes_.data(), sizeof f);
            return frameFormatStruct(f);
        }
        case LogValue::Kind::kSettings: return settingsStruct(v.bytes_);
        case LogValue::Kind::kParams: {
            ConversionParams p;
            std::memcpy(&p, v.bytes_.data(), sizeof p);
            mxArray* s = structOf({"demosaicMethod", "correctionMatrix"}, 1);
            mxSetFieldByNumber(s, 0, 0, number(p.demosaicMethod));
            mxSetFieldByNumber(s, 0, 1, number(p.correctionMatrix));
            return s;
        }
    }
    return empty();
}

mxArray* callLog() {
    const auto& log = qorinsim::calls();
    mxArray* s = structOf({"name", "camera", "args"}, log.size(), false);
    std::size_t k = 0;
    for (const auto& call : log) {
        mxArray* args = mxCreateCellMatrix(1, call.args_.size());
        for (std::size_t a = 0; a < call.args_.size(); ++a) mxSetCell(args, a, logValue(call.args_[a]));
        mxSetFieldByNumber(s, k, 0, mxCreateString(call.name_));
        mxSetFieldByNumber(s, k, 1, number(call.camera_));
        mxSetFieldByNumber(s, k, 2, args);
        ++k;
    }
    return s;
}

// set

void setFormat(SimulatedCamera& camera, const mxArray* value) {
    if (!mxIsStruct(value) || mxGetNumberOfElements(value) != 1) fail("'format' must be a scalar structure");
    // Fields left out keep their value, so a test can change just the one it is about.
    for (const FrameFormatField& entry : kFrameFormatFields) {
        const mxArray* field = mxGetField(value, 0, entry.name_);
        if (field == nullptr) continue;
        const std::string what = std::string("format field '") + entry.name_ + "'";
        entry.set(camera.format_, static_cast<uint32_t>(integerArg(field, what, 0, entry.maximum())));
    }
    if (const mxArray* field = mxGetField(value, 0, kFrameRateField))
        camera.frameRate_ = static_cast<float>(scalarArg(field, std::string("format field '") + kFrameRateField + "'"));
}

mxArray* formatStruct(const SimulatedCamera& camera) {
    std::vector<std::string> names;
    for (const auto& field : kFrameFormatFields) names.push_back(field.name_);
    names.push_back(kFrameRateField);
    mxArray* s = structOf(names, 1);
    int k = 0;
    for (const auto& field : kFrameFormatFields)
        mxSetFieldByNumber(s, 0, k++, number(field.get(camera.format_)));
    mxSetFieldByNumber(s, 0, k, number(camera.frameRate_));
    return s;
}

// Pages of a rows-by-columns(-by-K) uint8 or uint16 array, each turned row by row into samples.
void setFrames(SimulatedCamera& camera, const mxArray* value, bool single) {
    camera.frames_.clear();
    camera.nextFrame_ = 0;
    if (mxIsEmpty(value) && mxIsDouble(value)) return;
    bool wide = mxIsUint16(value);
    if ((!wide && !mxIsUint8(value)) || mxIsComplex(value)) fail("a frame must be a uint8 or uint16 array");
    mwSize dims = mxGetNumberOfDimensions(value);
    const mwSize* size = mxGetDimensions(value);
    if (dims > 3 || (single && dims > 2)) fail(single ? "'frame' must be a matrix" : "'frames' must be 3-D at most");
    std::size_t rows = size[0], columns = size[1], pages = dims == 3 ? size[2] : 1;
    std::size_t sampleBytes = wide ? 2 : 1;
    const auto* data = static_cast<const uint8_t*>(mxGetData(value));
    for (std::size_t p = 0; p < pages; ++p) {
        qorinsim::Frame frame;
        frame.rows_ = static_cast<uint32_t>(rows);
        frame.columns_ = static_cast<uint32_t>(columns);
        frame.sampleBytes_ = static_cast<uint32_t>(sampleBytes);
        frame.data_.resize(rows * columns * sampleBytes);
        const uint8_t* page = data + p * rows * columns * sampleBytes;
        for (std::size_t i = 0; i < rows; ++i)
            for (std::size_t j = 0; j < columns; ++j)
                // uint16 elements are host words, and the host is little-endian like the camera.
                std::memcpy(&frame.data_[(i * columns + j) * sampleBytes], page + (j * rows + i) * sampleBytes,
                            sampleBytes);
        camera.frames_.push_back(std::move(frame));
    }
}

// set and get

// What a getter may need besides the camera: its number and the optional fourth argument.
struct Query {
    const SimulatedCamera& camera_;
    int number_;
    const std::string& name_;
    const mxArray* extra_;  // null when not given
};

using Setter = void (*)(SimulatedCamera& camera, const mxArray* value, const std::string& what);
using Getter = mxArray* (*)(const Query& query);

// One name of qorinsim's set and get; a null setter or getter: not settable or not readable.
struct Entry {
    const char* name_;
    Setter set_;
    Getter get_;
};

template <uint32_t SimulatedCamera::*kField>
void setWord(SimulatedCamera& camera, const mxArray* value, const std::string& what) {
    camera.*kField = wordArg(value, what);
}

template <typename T, T SimulatedCamera::*kField>
mxArray* getNumber(const Query& query) {
    return number(static_cast<double>(query.camera_.*kField));
}

template <bool SimulatedCamera::*kField>
mxArray* getFlag(const Query& query) {
    return logical(query.camera_.*kField);
}

// property and range: the entry of the property the fourth argument names.
qorinsim::Property propertyOf(const Query& query) {
    if (query.extra_ == nullptr) fail("'get' of '" + query.name_ + "' needs the property number");
    uint32_t property = wordArg(query.extra_, "property number");
    auto it = query.camera_.properties_.find(property);
    return it == query.camera_.properties_.end() ? qorinsim::Property{} : it->second;
}

const Entry kEntries[] = {
    {"open", nullptr, getFlag<&SimulatedCamera::open_>},
    {"streaming", nullptr, getFlag<&SimulatedCamera::streaming_>},
    {"window", nullptr,
     [](const Query& q) {
         const SimulatedCamera& camera = q.camera_;
         return camera.window_ ? doubleRow({double(camera.windowWidth_), double(camera.windowHeight_)}) : empty();
     }},
    {"fastFrames", nullptr, getFlag<&SimulatedCamera::fastFrames_>},
    {"colour",
     [](SimulatedCamera& camera, const mxArray* value, const std::string& what) {
         camera.properties_[QORIN_PROP_COLOUR_FORMAT].value_ = scalarArg(value, what) != 0 ? 1.0f : 0.0f;
     },
     [](const Query& q) {
         auto it = q.camera_.properties_.find(QORIN_PROP_COLOUR_FORMAT);
         return logical(it == q.camera_.properties_.end() || !(it->second.value_ == 0.0f));
     }},
    {"format", [](SimulatedCamera& camera, const mxArray* value, const std::string&) { setFormat(camera, value); },
     [](const Query& q) { return formatStruct(q.camera_); }},
    {"maxSize",
     [](SimulatedCamera& camera, const mxArray* value, const std::string& what) {
         auto v = numbersArg(value, what, 2);
         camera.properties_[QORIN_PROP_MAX_WIDTH].value_ = static_cast<float>(v[0]);
         camera.properties_[QORIN_PROP_MAX_HEIGHT].value_ = static_cast<float>(v[1]);
     },
     nullptr},
    {"property", nullptr,
     [](const Query& q) {
         const qorinsim::Property entry = propertyOf(q);
         return doubleRow({entry.value_, double(entry.flags_)});
     }},
    {"range", nullptr,
     [](const Query& q) {
         const qorinsim::Property entry = propertyOf(q);
         return entry.hasRange_ ? doubleRow({entry.minimum_, entry.maximum_}) : empty();
     }},
    {"frameRates",
     [](SimulatedCamera& camera, const mxArray* value, const std::string& what) {
         auto v = numbersArg(value, what);
         camera.frameRates_.assign(v.begin(), v.end());
     },
     [](const Query& q) {
         return doubleRow(std::vector<double>(q.camera_.frameRates_.begin(), q.camera_.frameRates_.end()));
     }},
    {"frame", [](SimulatedCamera& camera, const mxArray* value, const std::string&) { setFrames(camera, value, true); },
     nullptr},
    {"frames",
     [](SimulatedCamera& camera, const mxArray* value, const std::string&) { setFrames(camera, value, false); },
     nullptr},
    {"version",
     [](SimulatedCamera& camera, const mxArray* value, const std::string& what) {
         auto v = numbersArg(value, what, 6);
         uint32_t w[6];
         for (int k = 0; k < 6; ++k) w[k] = checkedInteger<uint32_t>(v[k], what, 0, 4294967295.0);
         camera.version_ = VersionInfo{w[0], w[1], w[2], w[3], w[4], w[5]};
     },
     [](const Query& q) {
         const VersionInfo& v = q.camera_.version_;
         return doubleRow({double(v.Firmware), double(v.FPGA), double(v.API), double(v.Driver), double(v.SN),
                           double(v.Reserved)});
     }},
    {"interface", setWord<&SimulatedCamera::interfaceCode_>, nullptr},
    {"cameraId", setWord<&SimulatedCamera::cameraId_>, nullptr},
    {"pixelDepth", setWord<&SimulatedCamera::pixelDepth_>, nullptr},
    {"hwRevision", setWord<&SimulatedCamera::hwRevision_>, nullptr},
    {"gpio",
     [](SimulatedCamera& camera, const mxArray* value, const std::string& what) {
         auto v = numbersArg(value, what, 2);
         camera.gpio_ = {checkedInteger<uint8_t>(v[0], what, 0, 255), checkedInteger<uint8_t>(v[1], what, 0, 255)};
     },
     [](const Query& q) { return doubleRow({double(q.camera_.gpio_[0]), double(q.camera_.gpio_[1])}); }},
    {"gpo", nullptr, getNumber<uint8_t, &SimulatedCamera::gpo_>},
    {"gpoSelect", nullptr, getNumber<uint8_t, &SimulatedCamera::gpoSelect_>},
    {"gpioConfig", nullptr, getNumber<uint8_t, &SimulatedCamera::gpioConfig_>},
    {"lut", nullptr,
     [](const Query& q) {
         const SimulatedCamera& camera = q.camera_;
         mxArray* s = structOf({"table", "colour", "flags"}, 1);
         mxSetFieldByNumber(s, 0, 0, byteRow(camera.lut_));
         mxSetFieldByNumber(s, 0, 1, logical(camera.lutColour_));
         mxSetFieldByNumber(s, 0, 2,
                            doubleRow({double(camera.lutFlags_[0]), double(camera.lutFlags_[1]),
                                       double(camera.lutFlags_[2]), double(camera.lutFlags_[3])}));
         return s;
     }},
    {"matrix",
     [](SimulatedCamera& camera, const mxArray* value, const std::string& what) {
         if (mxGetM(value) != 3 || mxGetN(value) != 3) fail("'matrix' must be 3-by-3");
         auto v = numbersArg(value, what, 9);
         for (int r = 0; r < 3; ++r)
             for (int c = 0; c < 3; ++c) camera.matrix_[r * 3 + c] = static_cast<float>(v[c * 3 + r]);
     },
     [](const Query& q) {
         mxArray* m = mxCreateDoubleMatrix(3, 3, mxREAL);
         double* d = mxGetPr(m);
         for (int r = 0; r < 3; ++r)
             for (int c = 0; c < 3; ++c) d[c * 3 + r] = q.camera_.matrix_[r * 3 + c];
         return m;
     }},
    {"roi",
     [](SimulatedCamera& camera, const mxArray* value, const std::string& what) {
         auto v = numbersArg(value, what, 4);
         for (int k = 0; k < 4; ++k) camera.roi_[k] = checkedInteger<int32_t>(v[k], what, -2147483648.0, 2147483647.0);
     },
     [](const Query& q) {
         const auto& roi = q.camera_.roi_;
         return doubleRow({double(roi[0]), double(roi[1]), double(roi[2]), double(roi[3])});
     }},
    {"permanentBuffer",
     [](SimulatedCamera& camera, const mxArray* value, const std::string&) {
         if (!mxIsUint8(value)) fail("'permanentBuffer' must be a uint8 array");
         const auto* data = static_cast<const uint8_t*>(mxGetData(value));
         camera.permanentBuffer_.assign(data, data + mxGetNumberOfElements(value));
     },
     [](const Query& q) { return byteRow(q.camera_.permanentBuffer_); }},
    {"events", nullptr, [](const Query& q) { return number(static_cast<double>(q.camera_.registrations_.size())); }},
    {"timeout", nullptr,
     [](const Query& q) { return doubleRow({q.camera_.videoTimeout_, q.camera_.snapshotTimeout_}); }},
    {"progress",
     [](SimulatedCamera& camera, const mxArray* value, const std::string& what) {
         camera.progress_ = static_cast<float>(scalarArg(value, what));
     },
     getNumber<float, &SimulatedCamera::progress_>},
    {"noise",
     [](SimulatedCamera& camera, const mxArray* value, const std::string& what) {
         const double sigma = scalarArg(value, what);
         if (!(sigma >= 0.0 && sigma <= 255.0)) fail("'noise' must be from 0 to 255");
         camera.noise_ = sigma;
     },
     getNumber<double, &SimulatedCamera::noise_>},
    {"temperature",
     [](SimulatedCamera& camera, const mxArray* value, const std::string& what) {
         const double celsius = scalarArg(value, what);
         if (!std::isfinite(celsius)) fail("'temperature' must be finite");
         camera.temperature_ = celsius;
     },
     getNumber<double, &SimulatedCamera::temperature_>},
    {"timing",
     [](SimulatedCamera& camera, const mxArray* value, const std::string& what) {
         const std::string text = textArg(value, what);
         if (text != "immediate" && text != "realtime") fail("'timing' must be 'immediate' or 'realtime'");
         const auto timing = text == "realtime" ? qorinsim::Timing::kRealtime : qorinsim::Timing::kImmediate;
         // A clock started for the other mode would count frames as lost that were never due.
         if (timing != camera.timing_) camera.clockRunning_ = false;
         camera.timing_ = timing;
     },
     [](const Query& q) {
         return mxCreateString(q.camera_.timing_ == qorinsim::Timing::kRealtime ? "realtime" : "immediate");
     }},
    {"hiccup",
     [](SimulatedCamera& camera, const mxArray* value, const std::string& what) {
         std::vector<double> v = numbersArg(value, what);
         if (v.size() == 1 && v[0] == 0) v.clear();
         if (!v.empty() && v.size() != 2) fail("'hiccup' must be [frame delayMs], [] or 0");
         if (!v.empty()) {
             checkedInteger<uint64_t>(v[0], what + " frame", 0, 9007199254740992.0);
             if (!(v[1] >= 0 && v[1] <= 1e9)) fail(what + " delay out of range");
         }
         camera.hiccupFrame_ = v.empty() ? 0 : static_cast<uint64_t>(v[0]);
         camera.hiccupDelay_ = v.empty() ? 0.0 : v[1];
         camera.hiccupPending_ = camera.hiccupDelay_ > 0.0;
     },
     [](const Query& q) {
         const SimulatedCamera& camera = q.camera_;
         return camera.hiccupDelay_ > 0.0 ? doubleRow({double(camera.hiccupFrame_), camera.hiccupDelay_}) : empty();
     }},
    {"syncSnapshots", nullptr, [](const Query& q) { return logical(qorinsim::inSyncSession(q.number_)); }},
    {"interfaceSelector", nullptr, [](const Query&) { return number(qorinsim::interfaceSelector()); }},
};

const Entry* findEntry(const std::string& name) {
    for (const Entry& entry : kEntries)
        if (name == entry.name_) return &entry;
    return nullptr;
}

void setOne(SimulatedCamera& camera, const std::string& name, const mxArray* value) {
    const Entry* entry = findEntry(name);
    if (entry == nullptr || entry->set_ == nullptr) fail("unknown setting '" + name + "'");
    entry->set_(camera, value, "'" + name + "'");
}

mxArray* getOne(const SimulatedCamera& camera, int number, const std::string& name, const mxArray* extra) {
    const Entry* entry = findEntry(name);
    if (entry == nullptr || entry->get_ == nullptr) fail("unknown state '" + name + "'");
    return entry->get_(Query{camera, number, name, extra});
}

// The controls, qorinsim(name, ...): each is called with every argument, the name first, once
// the dispatch has checked their count.

mxArray* resetSimulator(int, const mxArray*[]) {
    qorinsim::reset();
#if !defined(_WIN32)
    QorinPlatformReset();
#endif
    return nullptr;
}

mxArray* attach(int, const mxArray* prhs[]) {
    qorinsim::setAttached(static_cast<int>(integerArg(prhs[1], "N", -1, qorinsim::kMaxCameras)));
    return nullptr;
}

mxArray* setCamera(int nrhs, const mxArray* prhs[]) {
    SimulatedCamera& camera = cameraArg(prhs[1]);
    // Validate everything on a copy so that a bad pair leaves the camera untouched.
    SimulatedCamera changed = camera;
    for (int k = 2; k < nrhs; k += 2) setOne(changed, textArg(prhs[k], "a setting name"), prhs[k + 1]);
    camera = std::move(changed);
    return nullptr;
}

mxArray* setProperty(int nrhs, const mxArray* prhs[]) {
    SimulatedCamera& camera = cameraArg(prhs[1]);
    uint32_t property = wordArg(prhs[2], "property number");
    float value = static_cast<float>(scalarArg(prhs[3], "property value"));
    uint32_t flags = nrhs > 4 ? wordArg(prhs[4], "property flags") : 0u;
    auto& entry = camera.properties_[property];
    entry.value_ = value;
    entry.flags_ = flags;
    return nullptr;
}

mxArray* setRange(int, const mxArray* prhs[]) {
    SimulatedCamera& camera = cameraArg(prhs[1]);
    uint32_t property = wordArg(prhs[2], "property number");
    auto v = numbersArg(prhs[3], "the range", 2);
    auto& entry = camera.properties_[property];
    entry.hasRange_ = true;
    entry.minimum_ = static_cast<float>(v[0]);
    entry.maximum_ = static_cast<float>(v[1]);
    entry.steps_ = v[1] > v[0] && v[1] - v[0] < 4294967295.0 ? static_cast<uint32_t>(v[1] - v[0]) : 0u;
    return nullptr;
}

mxArray* getState(int nrhs, const mxArray* prhs[]) {
    const int number = cameraNumberArg(prhs[1]);
    const std::string name = textArg(prhs[2], "the state name");
    return getOne(*qorinsim::camera(number), number, name, nrhs > 3 ? prhs[3] : nullptr);
}

mxArray* failSdkCalls(int nrhs, const mxArray* prhs[]) {
    std::string name = textArg(prhs[1], "the function name");
    double error = integerArg(prhs[2], "errno", -2147483648.0, 4294967295.0);
    auto word = static_cast<uint32_t>(static_cast<int64_t>(error));  // negative numbers as their 32-bit pattern
    uint32_t count = nrhs > 3 ? wordArg(prhs[3], "count") : 1u;
    uint32_t skip = nrhs > 4 ? wordArg(prhs[4], "skip") : 0u;
    if (!qorinsim::failCalls(name, word, count, skip)) fail("'" + name + "' is not an SDK function that can fail");
    return nullptr;
}

mxArray* showCalls(int, const mxArray*[]) { return callLog(); }

mxArray* clearCallLog(int, const mxArray*[]) {
    qorinsim::clearCalls();
    return nullptr;
}

// The real event and window calls of a Windows build cannot be steered soundly from here: only
// the POSIX stand-ins have these controls, and a Windows build links no stand-ins, so there the
// rows name no function.
#if defined(_WIN32)
constexpr bool kHasStandIns = false;
#  define QORINSIM_STAND_IN(function) nullptr
#else
constexpr bool kHasStandIns = true;
#  define QORINSIM_STAND_IN(function) function

mxArray* setForeground(int, const mxArray* prhs[]) {
    QorinPlatformSetForeground(scalarArg(prhs[1], "tf") != 0 ? 1 : 0);
    return nullptr;
}

mxArray* failNextEvent(int, const mxArray*[]) {
    QorinPlatformFailNextEvent();
    return nullptr;
}

mxArray* countOpenEvents(int, const mxArray*[]) { return number(QorinPlatformOpenEvents()); }
#endif

// Where a control works: in every build, or only where the POSIX stand-ins are (not on Windows).
enum class Platform : uint8_t { kAny, kPosixStandIns };

constexpr int kNoLimit = std::numeric_limits<int>::max();

// One row of qorinsim's controls.
struct Control {
    const char* name_;
    int minArgs_;  // counting the name
    int maxArgs_;
    bool pairs_;   // name/value pairs follow the camera number, so the count is even
    const char* usage_;
    mxArray* (*run_)(int nrhs, const mxArray* prhs[]);  // null where the platform has no such control
    Platform platform_;
};

const Control kControls[] = {
    {"reset", 1, 1, false, "qorinsim('reset')", resetSimulator, Platform::kAny},
    {"attach", 2, 2, false, "qorinsim('attach', N)", attach, Platform::kAny},
    {"set", 4, kNoLimit, true, "qorinsim('set', n, name, value, ...)", setCamera, Platform::kAny},
    {"property", 4, 5, false, "qorinsim('property', n, number, value[, flags])", setProperty, Platform::kAny},
    {"range", 4, 4, false, "qorinsim('range', n, number, [min max])", setRange, Platform::kAny},
    {"get", 3, 4, false, "qorinsim('get', n, name[, number])", getState, Platform::kAny},
    {"fail", 3, 5, false, "qorinsim('fail', name, errno[, count[, skip]])", failSdkCalls, Platform::kAny},
    {"calls", 1, 1, false, "qorinsim('calls')", showCalls, Platform::kAny},
    {"clearcalls", 1, 1, false, "qorinsim('clearcalls')", clearCallLog, Platform::kAny},
    {"foreground", 2, 2, false, "qorinsim('foreground', tf)", QORINSIM_STAND_IN(setForeground),
     Platform::kPosixStandIns},
    {"failEvent", 1, 1, false, "qorinsim('failEvent')", QORINSIM_STAND_IN(failNextEvent),
     Platform::kPosixStandIns},
    {"openEvents", 1, 1, false, "qorinsim('openEvents')", QORINSIM_STAND_IN(countOpenEvents),
     Platform::kPosixStandIns},
};

#undef QORINSIM_STAND_IN

mxArray* dispatch(int nrhs, const mxArray* prhs[]) {
    if (nrhs < 1) fail("the first argument must be a command name");
    const std::string command = textArg(prhs[0], "the command");
    for (const Control& control : kControls) {
        if (command != control.name_) continue;
        if (control.platform_ == Platform::kPosixStandIns && !kHasStandIns)
            fail("'" + command + "' steers the POSIX stand-ins and is not available on Windows");
        if (nrhs < control.minArgs_ || nrhs > control.maxArgs_ || (control.pairs_ && nrhs % 2 != 0))
            fail(std::string("usage: ") + control.usage_);
        return control.run_(nrhs, prhs);
    }
    fail("unknown command '" + command + "'");
}

// The message of a failed call; static so that no C++ object is alive when the host's error
// routine leaves mexFunction.
std::string gFailureMessage;

bool runAndCatch(int nrhs, const mxArray* prhs[], mxArray* plhs[]) {
    try {
        // The controls reach into the cameras, which worker threads of the module may be capturing
        // from; released before the host's error routine leaves mexFunction.
        std::lock_guard<std::recursive_mutex> lock(qorinsim::mutex());
        mxArray* result = dispatch(nrhs, prhs);
        if (result != nullptr) plhs[0] = result;
        return true;
    } catch (const std::exception& e) {
        gFailureMessage = e.what();
    } catch (...) {
        gFailureMessage = "unexpected failure";
    }
    return false;
}

}  // namespace

#if defined(_WIN32)
#  define QORINSIM_MEX_EXPORT __declspec(dllexport)
#else
#  define QORINSIM_MEX_EXPORT __attribute__((visibility("default")))
#endif

extern "C" QORINSIM_MEX_EXPORT void mexFunction(int nlhs, mxArray* plhs[], int nrhs,
                                                                    const mxArray* prhs[]) {
    (void)nlhs;
    if (runAndCatch(nrhs, prhs, plhs)) return;
    mexErrMsgIdAndTxt("qorinsim:error", "%s", gFailureMessage.c_str());
}
