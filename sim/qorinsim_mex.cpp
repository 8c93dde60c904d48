// qorinsim_mex.cpp - the qorinsim MEX: sets up and inspects the simulated cameras from Octave or MATLAB tests.
#include "mex.h"

#include "platform/win32.h"
#include "sim/sim_control.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>

namespace {

using qorinsim::CameraState;
using qorinsim::LogValue;

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

std::string textArg(const mxArray* a, const std::string& what) {
    if (!mxIsChar(a)) fail(what + " must be a character row");
    char* text = mxArrayToString(a);
    if (text == nullptr) fail(what + " must be a character row");
    std::string result(text);
    mxFree(text);
    return result;
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

CameraState& cameraArg(const mxArray* a) {
    return *qorinsim::camera(static_cast<int>(integerArg(a, "camera number", 1, qorinsim::kMaxCameras)));
}

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

const std::vector<std::string> kSetupFormatFields = {"width",   "height",  "xOffset", "yOffset",     "xBinSub",
                                                     "yBinSub", "xFlags",  "yFlags",  "pixelFormat", "frameRate"};

mxArray* frameFormatStruct(const FrameFormat& f) {
    const auto& names = qorinsim::frameFormatFields();
    mxArray* s = structOf(names, 1);
    const double values[] = {double(f.xOffset), double(f.yOffset),     double(f.width),
                             double(f.height),  double(f.pixelFormat), double(f.xBinSub),
                             double(f.xFlags),  double(f.yBinSub),     double(f.yFlags)};
    for (std::size_t k = 0; k < names.size(); ++k) mxSetFieldByNumber(s, 0, static_cast<int>(k), number(values[k]));
    return s;
}

mxArray* settingsStruct(const std::vector<uint8_t>& bytes) {
    std::size_t count = bytes.size() / sizeof(SnapshotSettings);
    mxArray* s = structOf(qorinsim::settingsFields(), count);
    for (std::size_t k = 0; k < count; ++k) {
        SnapshotSettings r;
        std::memcpy(&r, bytes.data() + k * sizeof(SnapshotSettings), sizeof r);
        mxArray* fields[] = {number(r.exposure),   number(r.gain),        number(r.redGain),
                             number(r.blueGain),   number(r.green1Gain),  number(r.green2Gain),
                             number(r.strobe),     number(r.strobeDelay), number(r.trigger),
                             number(r.timeout),    frameFormatStruct(r.format), number(r.shutterType)};
        for (int f = 0; f < 12; ++f) mxSetFieldByNumber(s, k, f, fields[f]);
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

void setFormat(CameraState& camera, const mxArray* value) {
    if (!mxIsStruct(value) || mxGetNumberOfElements(value) != 1) fail("'format' must be a scalar structure");
    FrameFormat& f = camera.format_;
    // Fields left out keep their value, so a test can change just the one it is about.
    for (const auto& name : kSetupFormatFields) {
        const mxArray* field = mxGetField(value, 0, name.c_str());
        if (field == nullptr) continue;
        const std::string what = "format field '" + name + "'";
        if (name == "frameRate") {
            camera.frameRate_ = static_cast<float>(scalarArg(field, what));
            continue;
        }
        bool half = name == "xBinSub" || name == "yBinSub" || name == "xFlags" || name == "yFlags";
        double v = integerArg(field, what, 0, half ? 65535.0 : 4294967295.0);
        if (name == "width") f.width = static_cast<uint32_t>(v);
        else if (name == "height") f.height = static_cast<uint32_t>(v);
        else if (name == "xOffset") f.xOffset = static_cast<uint32_t>(v);
        else if (name == "yOffset") f.yOffset = static_cast<uint32_t>(v);
        else if (name == "pixelFormat") f.pixelFormat = static_cast<uint32_t>(v);
        else if (name == "xBinSub") f.xBinSub = static_cast<uint16_t>(v);
        else if (name == "yBinSub") f.yBinSub = static_cast<uint16_t>(v);
        else if (name == "xFlags") f.xFlags = static_cast<uint16_t>(v);
        else f.yFlags = static_cast<uint16_t>(v);
    }
}

// Pages of a rows-by-columns(-by-K) uint8 or uint16 array, each turned row by row into samples.
void setFrames(CameraState& camera, const mxArray* value, bool single) {
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

void setOne(CameraState& camera, const std::string& name, const mxArray* value) {
    const std::string what = "'" + name + "'";
    if (name == "colour") {
        camera.properties_[QORIN_PROP_COLOUR_FORMAT].value_ = scalarArg(value, what) != 0 ? 1.0f : 0.0f;
    } else if (name == "format") {
        setFormat(camera, value);
    } else if (name == "maxSize") {
        auto v = numbersArg(value, what, 2);
        camera.properties_[QORIN_PROP_MAX_WIDTH].value_ = static_cast<float>(v[0]);
        camera.properties_[QORIN_PROP_MAX_HEIGHT].value_ = static_cast<float>(v[1]);
    } else if (name == "frameRates") {
        auto v = numbersArg(value, what);
        camera.frameRates_.assign(v.begin(), v.end());
    } else if (name == "frame" || name == "frames") {
        setFrames(camera, value, name == "frame");
    } else if (name == "version") {
        auto v = numbersArg(value, what, 6);
        uint32_t w[6];
        for (int k = 0; k < 6; ++k) w[k] = checkedInteger<uint32_t>(v[k], what, 0, 4294967295.0);
        camera.version_ = VersionInfo{w[0], w[1], w[2], w[3], w[4], w[5]};
    } else if (name == "interface") {
        camera.interfaceCode_ = wordArg(value, what);
    } else if (name == "cameraId") {
        camera.cameraId_ = wordArg(value, what);
    } else if (name == "pixelDepth") {
        camera.pixelDepth_ = wordArg(value, what);
    } else if (name == "hwRevision") {
        camera.hwRevision_ = wordArg(value, what);
    } else if (name == "gpio") {
        auto v = numbersArg(value, what, 2);
        camera.gpio_ = {checkedInteger<uint8_t>(v[0], what, 0, 255), checkedInteger<uint8_t>(v[1], what, 0, 255)};
    } else if (name == "matrix") {
        if (mxGetM(value) != 3 || mxGetN(value) != 3) fail("'matrix' must be 3-by-3");
        auto v = numbersArg(value, what, 9);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) camera.matrix_[r * 3 + c] = static_cast<float>(v[c * 3 + r]);
    } else if (name == "roi") {
        auto v = numbersArg(value, what, 4);
        for (int k = 0; k < 4; ++k) camera.roi_[k] = checkedInteger<int32_t>(v[k], what, -2147483648.0, 2147483647.0);
    } else if (name == "progress") {
        camera.progress_ = static_cast<float>(scalarArg(value, what));
    } else if (name == "noise") {
        const double sigma = scalarArg(value, what);
        if (!(sigma >= 0.0 && sigma <= 255.0)) fail("'noise' must be from 0 to 255");
        camera.noise_ = sigma;
    } else if (name == "temperature") {
        const double celsius = scalarArg(value, what);
        if (!std::isfinite(celsius)) fail("'temperature' must be finite");
        camera.temperature_ = celsius;
    } else if (name == "permanentBuffer") {
        if (!mxIsUint8(value)) fail("'permanentBuffer' must be a uint8 array");
        const auto* data = static_cast<const uint8_t*>(mxGetData(value));
        camera.permanentBuffer_.assign(data, data + mxGetNumberOfElements(value));
    } else {
        fail("unknown setting '" + name + "'");
    }
}

// get

mxArray* getOne(const CameraState& camera, const std::string& name, int nrhs, const mxArray* prhs[]) {
    if (name == "open") return logical(camera.open_);
    if (name == "streaming") return logical(camera.streaming_);
    if (name == "window")
        return camera.window_ ? doubleRow({double(camera.windowWidth_), double(camera.windowHeight_)}) : empty();
    if (name == "fastFrames") return logical(camera.fastFrames_);
    if (name == "colour") {
        auto it = camera.properties_.find(QORIN_PROP_COLOUR_FORMAT);
        return logical(it == camera.properties_.end() || !(it->second.value_ == 0.0f));
    }
    if (name == "format") {
        const FrameFormat& f = camera.format_;
        mxArray* s = structOf(kSetupFormatFields, 1);
        const double values[] = {double(f.width),   double(f.height),  double(f.xOffset), double(f.yOffset),
                                 double(f.xBinSub), double(f.yBinSub), double(f.xFlags),  double(f.yFlags),
                                 double(f.pixelFormat), double(camera.frameRate_)};
        for (int k = 0; k < 10; ++k) mxSetFieldByNumber(s, 0, k, number(values[k]));
        return s;
    }
    if (name == "property" || name == "range") {
        if (nrhs < 4) fail("'get' of '" + name + "' needs the property number");
        uint32_t property = wordArg(prhs[3], "property number");
        qorinsim::Property entry;
        auto it = camera.properties_.find(property);
        if (it != camera.properties_.end()) entry = it->second;
        if (name == "property") return doubleRow({entry.value_, double(entry.flags_)});
        return entry.hasRange_ ? doubleRow({entry.minimum_, entry.maximum_}) : empty();
    }
    if (name == "frameRates") return doubleRow(std::vector<double>(camera.frameRates_.begin(), camera.frameRates_.end()));
    if (name == "gpio") return doubleRow({double(camera.gpio_[0]), double(camera.gpio_[1])});
    if (name == "gpo") return number(camera.gpo_);
    if (name == "gpoSelect") return number(camera.gpoSelect_);
    if (name == "gpioConfig") return number(camera.gpioConfig_);
    if (name == "lut") {
        mxArray* s = structOf({"table", "colour", "flags"}, 1);
        mxSetFieldByNumber(s, 0, 0, byteRow(camera.lut_));
        mxSetFieldByNumber(s, 0, 1, logical(camera.lutColour_));
        mxSetFieldByNumber(s, 0, 2,
                           doubleRow({double(camera.lutFlags_[0]), double(camera.lutFlags_[1]),
                                      double(camera.lutFlags_[2]), double(camera.lutFlags_[3])}));
        return s;
    }
    if (name == "matrix") {
        mxArray* m = mxCreateDoubleMatrix(3, 3, mxREAL);
        double* d = mxGetPr(m);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) d[c * 3 + r] = camera.matrix_[r * 3 + c];
        return m;
    }
    if (name == "roi")
        return doubleRow({double(camera.roi_[0]), double(camera.roi_[1]), double(camera.roi_[2]), double(camera.roi_[3])});
    if (name == "permanentBuffer") return byteRow(camera.permanentBuffer_);
    if (name == "events") return number(static_cast<double>(camera.registrations_.size()));
    if (name == "timeout") return doubleRow({camera.videoTimeout_, camera.snapshotTimeout_});
    if (name == "progress") return number(camera.progress_);
    if (name == "noise") return number(camera.noise_);
    if (name == "temperature") return number(camera.temperature_);
    if (name == "version") {
        const VersionInfo& v = camera.version_;
        return doubleRow({double(v.Firmware), double(v.FPGA), double(v.API), double(v.Driver), double(v.SN),
                          double(v.Reserved)});
    }
    if (name == "syncSnapshots") {
        int number = static_cast<int>(&camera - qorinsim::camera(1)) + 1;
        return logical(qorinsim::inSyncSession(number));
    }
    if (name == "interfaceSelector") return number(qorinsim::interfaceSelector());
    fail("unknown state '" + name + "'");
}

void needArgs(int nrhs, int low, int high, const std::string& usage) {
    if (nrhs < low || nrhs > high) fail("usage: " + usage);
}

mxArray* dispatch(int nrhs, const mxArray* prhs[]) {
    if (nrhs < 1) fail("the first argument must be a command name");
    const std::string command = textArg(prhs[0], "the command");
    if (command == "reset") {
        needArgs(nrhs, 1, 1, "qorinsim('reset')");
        qorinsim::reset();
        QorinPlatformReset();
        return nullptr;
    }
    if (command == "attach") {
        needArgs(nrhs, 2, 2, "qorinsim('attach', N)");
        qorinsim::setAttached(static_cast<int>(integerArg(prhs[1], "N", -1, qorinsim::kMaxCameras)));
        return nullptr;
    }
    if (command == "set") {
        if (nrhs < 4 || nrhs % 2 != 0) fail("usage: qorinsim('set', n, name, value, ...)");
        CameraState& camera = cameraArg(prhs[1]);
        // Validate everything on a copy so that a bad pair leaves the camera untouched.
        CameraState changed = camera;
        for (int k = 2; k < nrhs; k += 2) setOne(changed, textArg(prhs[k], "a setting name"), prhs[k + 1]);
        camera = std::move(changed);
        return nullptr;
    }
    if (command == "property") {
        needArgs(nrhs, 4, 5, "qorinsim('property', n, number, value[, flags])");
        CameraState& camera = cameraArg(prhs[1]);
        uint32_t property = wordArg(prhs[2], "property number");
        float value = static_cast<float>(scalarArg(prhs[3], "property value"));
        uint32_t flags = nrhs > 4 ? wordArg(prhs[4], "property flags") : 0u;
        auto& entry = camera.properties_[property];
        entry.value_ = value;
        entry.flags_ = flags;
        return nullptr;
    }
    if (command == "range") {
        needArgs(nrhs, 4, 4, "qorinsim('range', n, number, [min max])");
        CameraState& camera = cameraArg(prhs[1]);
        uint32_t property = wordArg(prhs[2], "property number");
        auto v = numbersArg(prhs[3], "the range", 2);
        auto& entry = camera.properties_[property];
        entry.hasRange_ = true;
        entry.minimum_ = static_cast<float>(v[0]);
        entry.maximum_ = static_cast<float>(v[1]);
        entry.steps_ = v[1] > v[0] && v[1] - v[0] < 4294967295.0 ? static_cast<uint32_t>(v[1] - v[0]) : 0u;
        return nullptr;
    }
    if (command == "get") {
        needArgs(nrhs, 3, 4, "qorinsim('get', n, name[, number])");
        const CameraState& camera = cameraArg(prhs[1]);
        return getOne(camera, textArg(prhs[2], "the state name"), nrhs, prhs);
    }
    if (command == "fail") {
        needArgs(nrhs, 3, 5, "qorinsim('fail', name, errno[, count[, skip]])");
        std::string name = textArg(prhs[1], "the function name");
        double error = integerArg(prhs[2], "errno", -2147483648.0, 4294967295.0);
        auto word = static_cast<uint32_t>(static_cast<int64_t>(error));  // negative numbers as their 32-bit pattern
        uint32_t count = nrhs > 3 ? wordArg(prhs[3], "count") : 1u;
        uint32_t skip = nrhs > 4 ? wordArg(prhs[4], "skip") : 0u;
        if (!qorinsim::failCalls(name, word, count, skip)) fail("'" + name + "' is not an SDK function that can fail");
        return nullptr;
    }
    if (command == "calls") {
        needArgs(nrhs, 1, 1, "qorinsim('calls')");
        return callLog();
    }
    if (command == "clearcalls") {
        needArgs(nrhs, 1, 1, "qorinsim('clearcalls')");
        qorinsim::clearCalls();
        return nullptr;
    }
    if (command == "foreground") {
        needArgs(nrhs, 2, 2, "qorinsim('foreground', tf)");
        QorinPlatformSetForeground(scalarArg(prhs[1], "tf") != 0 ? 1 : 0);
        return nullptr;
    }
    if (command == "failEvent") {
        needArgs(nrhs, 1, 1, "qorinsim('failEvent')");
        QorinPlatformFailNextEvent();
        return nullptr;
    }
    if (command == "openEvents") {
        needArgs(nrhs, 1, 1, "qorinsim('openEvents')");
        return number(QorinPlatformOpenEvents());
    }
    fail("unknown command '" + command + "'");
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void mexFunction(int nlhs, mxArray* plhs[], int nrhs,
                                                                    const mxArray* prhs[]) {
    (void)nlhs;
    std::string error;
    try {
        mxArray* result = dispatch(nrhs, prhs);
        if (result != nullptr) plhs[0] = result;
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "unexpected failure";
    }
    // Raised outside the handlers: the host's error unwinds with its own exception.
    if (!error.empty()) mexErrMsgIdAndTxt("qorinsim:error", "%s", error.c_str());
}
