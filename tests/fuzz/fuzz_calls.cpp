// fuzz_calls.cpp - libFuzzer target: byte strings decoded into module calls and simulator actions.
//
// Every call must return or raise a message; nothing may crash, read or write out of bounds,
// leak, or leave the simulator in a state the module no longer knows about.  The input format
// is read front to back (so that seeds can be written by hand, see encodeSeeds):
//   byte 0                 attached cameras (1 + b % 4)
//   then operations:
//   0x00-0x9F  call:       code byte (0..104: code = b - 3; 240 and above: a named command, its camera
//                          1 + next byte % 4 and words of the recording options among its inputs;
//                          else an odd command code), count byte
//                          (below 200: the command's own parameter count, else b % 12), arrays
//   0xA0-0xC7  simulator:  action (op - 0xA0) % 10 with its bytes
//   0xC8-0xDB  SDK fault:  function index, error, count, skip
//   0xDC-0xE5  allocation failure of a result array: skip
//   0xE6-0xFF  shortcut:   connect or start the preview of camera 1 + b % 4
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "camera/camera_table.h"
#include "gateway/dispatch.h"
#include "gateway/named_commands.h"
#include "platform/win32.h"
#include "sdk/frame_format_fields.h"
#include "sim/sdk_functions.h"
#include "sim/sim_control.h"
#include "tests/native/harness.h"

namespace {

// Reads stand in statements of their own, never two in one argument list: the order in which
// a call's arguments are evaluated is left to the compiler, and an input must decode into the
// same calls whichever compiler built the fuzzer.
class Reader {
public:
    Reader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool more() const { return at_ < size_; }
    uint8_t peek() const { return at_ < size_ ? data_[at_] : 0; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    template <typename T>
    T raw() {
        T value{};
        uint8_t bytes[sizeof(T)] = {};
        for (auto& b : bytes) b = byte();
        std::memcpy(&value, bytes, sizeof(T));
        return value;
    }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

const double kValues[32] = {0.0,
                            1.0,
                            2.0,
                            3.0,
                            4.0,
                            -1.0,
                            -0.0,
                            std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            0.5,
                            2.7,
                            -2.5,
                            255.0,
                            256.0,
                            65535.0,
                            65536.0,
                            2147483647.0,
                            2147483648.0,
                            -2147483648.0,
                            -2147483649.0,
                            1e10,
                            1e300,
                            -1e300,
                            std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::denorm_min(),
                            19.0,
                            2147483648.0 * 2 - 1,
                            5000.0,
                            1e-3,
                            7.0,
                            8.0};

const mxClassID kNumericClasses[10] = {mxDOUBLE_CLASS, mxSINGLE_CLASS, mxINT8_CLASS,   mxUINT8_CLASS,
                                       mxINT16_CLASS,  mxUINT16_CLASS, mxINT32_CLASS,  mxUINT32_CLASS,
                                       mxINT64_CLASS,  mxUINT64_CLASS};

// Fields of a frame-format structure: the FrameFormat's, the frame rate, and one that no
// command knows.
const std::vector<std::string>& formatFieldNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const auto& field : qorin::kFrameFormatFields) all.push_back(field.name_);
        all.push_back(qorin::kFrameRateField);
        all.push_back("unknown");
        return all;
    }();
    return names;
}

// Frame sizes the simulator accepts, with odd and degenerate ones; kept small for speed.
const uint32_t kSizes[16] = {0, 1, 2, 3, 5, 7, 8, 15, 16, 17, 31, 32, 33, 64, 640, 1280};
const uint16_t kBinning[8] = {1, 1, 1, 2, 3, 0, 5, 65535};

double readValue(Reader& in) {
    const uint8_t v = in.byte();
    if (v < 32) return kValues[v];
    if (v < 48) return static_cast<double>(in.raw<int32_t>());
    if (v < 56) return in.raw<double>();
    return static_cast<double>(v % 5);
}

std::vector<std::size_t> readDims(Reader& in) {
    const uint8_t d = in.byte();
    switch (d % 8) {
        case 0: return {0, 0};
        case 1: return {0, 1};
        case 2: return {1, 0};
        case 3: return {1, 1u + in.byte() % 8};
        case 4: return {1u + in.byte() % 8, 1};
        case 5: {
            const std::size_t rows = 1u + in.byte() % 4;
            const std::size_t columns = 1u + in.byte() % 4;
            return {rows, columns};
        }
        case 6: return {1, 1u + in.byte() % 4, 2};
        default: return {1, 1};
    }
}

mxArray* readArray(Reader& in, int depth) {
    const uint8_t kind = in.byte();
    switch (kind % 16) {
        case 0: case 1: case 2: case 3: case 4: case 5:
            return hostdouble::makeDouble(readValue(in));
        case 6: {
            const mxClassID classId = kNumericClasses[2 + in.byte() % 8];
            return hostdouble::makeNumeric(classId, {1, 1}, {readValue(in)});
        }
        case 7: return hostdouble::makeNumeric(mxSINGLE_CLASS, {1, 1}, {readValue(in)});
        case 8: {
            std::vector<std::size_t> dims = readDims(in);
            const uint8_t bits = in.byte();
            std::vector<bool> values;
            for (int k = 0; k < 8; ++k) values.push_back(((bits >> k) & 1) != 0);
            return hostdouble::makeLogical(dims, values);
        }
        case 9: {
            const std::size_t length = in.byte();
            std::string text;
            for (std::size_t k = 0; k < length && in.more(); ++k) text += static_cast<char>(in.byte());
            return hostdouble::makeText(text);
        }
        case 10: {
            const uint8_t which = in.byte();
            std::vector<std::size_t> dims = which % 3 == 0 ? std::vector<std::size_t>{0, 0}
                                                           : (which % 3 == 1 ? std::vector<std::size_t>{0, 1}
                                                                             : std::vector<std::size_t>{1, 0});
            switch ((which / 3) % 6) {
                case 0: return hostdouble::makeNumeric(kNumericClasses[which % 10], dims, {});
                case 1: return hostdouble::makeLogical(dims, {});
                case 2: return hostdouble::makeText("");
                case 3: return hostdouble::makeCell(dims[0], dims[1]);
                case 4: return hostdouble::makeStruct(dims[0], dims[1], {"width"});
                default: return hostdouble::makeSparse(dims[0], dims[1], {}, which % 2 == 0);
            }
        }
        case 11: {
            const mxClassID classId = kNumericClasses[in.byte() % 10];
            const uint8_t shape = in.byte();
            std::vector<std::size_t> dims;
            if (shape < 200) {
                dims = {1u + shape % 4, 1u + (shape / 4) % 9};
            } else {
                dims = {1, shape % 2 == 0 ? 256u : 1u + in.byte() * 2u};  // look-up tables, buffers
            }
            const uint8_t fill = in.byte();
            const double base = readValue(in);
            std::vector<double> values(dims[0] * dims[1]);
            for (std::size_t k = 0; k < values.size(); ++k)
                values[k] = fill % 3 == 0 ? base : (fill % 3 == 1 ? base + static_cast<double>(k) : kValues[k % 32]);
            return hostdouble::makeNumeric(classId, dims, values, (fill & 0x80) != 0);
        }
        case 12: {
            const mxClassID classId = kNumericClasses[in.byte() % 10];
            return hostdouble::makeNumeric(classId, {1, 1}, {readValue(in)}, true);
        }
        case 13: {
            mxArray* cell = hostdouble::makeCell(1, 1);
            if (depth < 2 && in.byte() % 2 == 0) mxSetCell(cell, 0, readArray(in, depth + 1));
            return cell;
        }
        case 14: {
            // A frame-format structure with some of its fields, of any class.
            const uint16_t mask = in.raw<uint16_t>();
            const uint8_t shape = in.byte();
            std::vector<std::string> names;
            for (std::size_t f = 0; f < formatFieldNames().size(); ++f)
                if ((mask >> f) & 1) names.push_back(formatFieldNames()[f]);
            const std::size_t columns = shape % 5 == 0 ? 0 : (shape % 5 == 1 ? 2 : 1);
            mxArray* structure = hostdouble::makeStruct(1, columns, names);
            for (std::size_t e = 0; e < columns; ++e) {
                for (std::size_t f = 0; f < names.size(); ++f) {
                    mxArray* value = depth < 2 && (shape & 0x80) ? readArray(in, depth + 1)
                                                                 : hostdouble::makeDouble(readValue(in));
                    mxSetFieldByNumber(structure, e, static_cast<int>(f), value);
                }
            }
            return structure;
        }
        default: {
            const std::size_t rows = 1 + in.byte() % 4;
            const std::size_t columns = in.byte() % 5;
            std::vector<double> dense(rows * columns);
            for (std::size_t k = 0; k < dense.size(); ++k) dense[k] = (k % 3 == 0) ? readValue(in) : 0.0;
            return hostdouble::makeSparse(rows, columns, dense, kind & 0x10);
        }
    }
}

double code(Reader& in) {
    const uint8_t b = in.byte();
    if (b < 105) return b - 3;
    static const double kOdd[8] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(), 2.9, -2.5, 1e10, -2147483649.0, 102};
    return kOdd[b % 8];
}

// Keeps sizes that only cost memory and time within reach; everything else goes through as given.
void limitResources(int command, std::vector<mxArray*>& params) {
    auto clamp = [&](std::size_t parameter, double limit) {
        if (params.size() < parameter) return;
        mxArray*& array = params[parameter - 1];
        if (!mxIsNumeric(array) || mxIsEmpty(array)) return;
        const double value = hostdouble::value(array, 0);
        if (value > limit && value < 2147483648.0) {
            mxDestroyArray(array);
            array = hostdouble::makeDouble(limit);
        }
    };
    if (command == 87) clamp(2, 6);
    if (command == 96 || command == 88 || command == 89) clamp(3, 4096);
    if (command == 77 && params.size() >= 2 && mxIsChar(params[1])) {
        // The simulator writes the file: keep the name plain and inside the working folder.
        std::string name = "fuzz_";
        const std::size_t n = mxGetNumberOfElements(params[1]);
        for (std::size_t k = 0; k < n && k < 12; ++k) {
            const char c = static_cast<char>(static_cast<unsigned>(hostdouble::value(params[1], k)) & 0x7F);
            name += std::isalnum(static_cast<unsigned char>(c)) || c == '.' ? c : '_';
        }
        mxDestroyArray(params[1]);
        params[1] = hostdouble::makeText(name);
    }
}

// Named commands are called with these words among their inputs, so that the recording options
// and frame kinds are reached.
const char* const kWords[] = {"frames", "buffer", "whenFull", "stop", "overwrite", "source", "snapshot", "video",
                              "seconds", "file", "raw", "mono", "rgb", "1kB", "200B"};

// A named command's inputs: the camera, then arrays and words.
std::vector<mxArray*> namedInputs(Reader& in, const char* name, std::size_t count) {
    std::vector<mxArray*> inputs{hostdouble::makeText(name)};
    const uint8_t cameraByte = in.byte();
    inputs.push_back(harness::num(1 + cameraByte % 4));
    for (std::size_t k = 0; k < count; ++k) {
        const uint8_t kind = in.byte();
        if (kind % 2 == 0) {
            inputs.push_back(hostdouble::makeText(kWords[kind / 2 % std::size(kWords)]));
        } else {
            inputs.push_back(readArray(in, 0));
        }
    }
    const std::string command = name;
    // A recording ends by itself, in a small buffer, and writes into the working folder.
    if (command == "startRecording") {
        inputs.push_back(hostdouble::makeText("frames"));
        inputs.push_back(harness::num(1 + cameraByte % 4));
        inputs.push_back(hostdouble::makeText("buffer"));
        inputs.push_back(harness::num(4));
        for (std::size_t k = 2; k + 1 < inputs.size(); ++k) {
            if (mxIsChar(inputs[k]) && mxGetNumberOfElements(inputs[k]) == 4 && hostdouble::value(inputs[k], 0) == 'f' &&
                hostdouble::value(inputs[k], 1) == 'i' && hostdouble::value(inputs[k], 2) == 'l' &&
                hostdouble::value(inputs[k], 3) == 'e') {
                mxDestroyArray(inputs[k + 1]);
                inputs[k + 1] = hostdouble::makeText("fuzz_recording.tif");
                inputs.push_back(hostdouble::makeText("overwrite"));
                inputs.push_back(harness::flag(true));
                break;
            }
        }
    }
    if (command == "waitFrames" && inputs.size() > 4) {
        mxDestroyArray(inputs[4]);
        inputs[4] = harness::num(0.01);
    }
    return inputs;
}

// Until every recording worker has ended, so that what follows does not depend on timing.
void awaitRecordings() {
    qorin::CameraTable& table = qorin::cameraTable();
    for (std::int32_t slot = 0; slot < table.count(); ++slot) {
        while (table.at(slot).recording()) std::this_thread::yield();
    }
}

[[noreturn]] void failure(const std::string& what) {
    std::fprintf(stderr, "fuzz_calls: %s\n", what.c_str());
    std::abort();
}

void checkOutcome(double command, const harness::Outcome& outcome) {
    if (!outcome.ok) {
        if (outcome.message.empty()) failure("empty error message for code " + std::to_string(command));
        if (outcome.identifier == "qorincam:internal")
            failure("internal error escaped for code " + std::to_string(command) + ": " + outcome.message);
        return;
    }
    // A code the registry does not define does nothing.
    const qorin::CommandRow* row = std::isfinite(command) && std::fabs(command) < 2147483648.0
                                       ? qorin::findCommandRow(static_cast<int32_t>(std::trunc(command)))
                                       : nullptr;
    if (row == nullptr) {
        if (outcome.result != nullptr) failure("result for out-of-range code " + std::to_string(command));
        return;
    }
    if (row->result != nullptr && outcome.result == nullptr) failure(std::string("no result from ") + row->name);
    if (row->result == nullptr && outcome.result != nullptr) failure(std::string("unexpected result from ") + row->name);
}

void simulatorAction(Reader& in, unsigned action) {
    const int n = 1 + in.byte() % 4;
    qorinsim::SimulatedCamera* camera = qorinsim::camera(n);
    switch (action % 10) {
        case 0: {
            const uint8_t b = in.byte();
            qorinsim::setAttached(b >= 200 ? b % 31 : static_cast<int>(b % 7) - 1);
            break;
        }
        case 1: {
            FrameFormat& format = camera->format_;
            format.width = kSizes[in.byte() % 16];
            format.height = kSizes[in.byte() % 16];
            format.xBinSub = kBinning[in.byte() % 8];
            format.yBinSub = kBinning[in.byte() % 8];
            format.pixelFormat = in.byte() % 9;
            format.xOffset = in.byte() % 4;
            format.yOffset = in.byte() % 4;
            break;
        }
        case 2: {
            // Explicit frames: of the camera's current geometry, or of an odd one.
            qorinsim::Frame frame;
            const uint8_t shape = in.byte();
            const FrameFormat& format = camera->format_;
            if (shape % 2 == 0 && format.xBinSub != 0 && format.yBinSub != 0) {
                frame.columns_ = format.width / format.xBinSub;
                frame.rows_ = format.height / format.yBinSub;
                frame.sampleBytes_ = format.pixelFormat == 1 ? 2 : 1;
            } else {
                frame.columns_ = in.byte() % 7;
                frame.rows_ = in.byte() % 7;
                frame.sampleBytes_ = 1 + in.byte() % 2;
            }
            const uint8_t seed = in.byte();
            frame.data_.resize(static_cast<std::size_t>(frame.columns_) * frame.rows_ * frame.sampleBytes_);
            for (std::size_t k = 0; k < frame.data_.size(); ++k) frame.data_[k] = static_cast<uint8_t>(seed + k * 37);
            camera->frames_.push_back(std::move(frame));
            if (camera->frames_.size() > 3) camera->frames_.erase(camera->frames_.begin());
            break;
        }
        case 3: {
            static const uint32_t kProperties[8] = {80, 66, 64, 65, 81, 82, 20, 40};
            // The value comes first, as C++17 orders the two sides of an assignment.
            const auto value = static_cast<float>(readValue(in));
            camera->properties_[kProperties[in.byte() % 8]].value_ = value;
            break;
        }
        case 4: {
            const uint8_t count = in.byte();
            camera->frameRates_.clear();
            for (unsigned k = 0; k < (count == 255 ? 200u : count % 8u); ++k)
                camera->frameRates_.push_back(static_cast<float>(readValue(in)));
            break;
        }
        case 5: camera->permanentBuffer_.assign(in.byte() * 8u, 0x5A); break;
        case 6:
            if (in.byte() % 2 == 0) {
                QorinPlatformSetForeground(in.byte() % 2);
            } else {
                QorinPlatformFailNextEvent();
            }
            break;
        case 7: qorinsim::failCalls("", 0, 0, 0); break;
        case 8:
            camera->interfaceCode_ = in.byte() % 4;
            camera->pixelDepth_ = in.raw<uint32_t>();
            break;
        default: camera->frameRate_ = static_cast<float>(readValue(in)); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    Reader in(data, size);
    harness::resetAll(1 + in.byte() % 4);
    // Small default frames keep the executions fast; odd sizes come from the input.
    for (int n = 1; n <= 4; ++n) {
        qorinsim::camera(n)->format_.width = 32;
        qorinsim::camera(n)->format_.height = 24;
    }
    bool faultsInjected = false;
    for (int operations = 0; in.more() && operations < 48; ++operations) {
        const uint8_t op = in.byte();
        if (op < 0xA0 && in.more() && in.peek() >= 240) {
            const uint8_t which = in.byte();
            const auto count = static_cast<std::size_t>(qorin::namedCommandsEnd() - qorin::namedCommandsBegin());
            const char* name = qorin::namedCommandsBegin()[which % count].name;
            const std::size_t inputs = in.byte() % 8;
            harness::Outcome outcome = harness::runRaw(namedInputs(in, name, inputs), op % 3);
            if (!outcome.ok && (outcome.message.empty() || outcome.identifier == "qorincam:internal"))
                failure(std::string("named command ") + name + " raised " + harness::show(outcome.message));
            awaitRecordings();
            if (std::getenv("QORIN_FUZZ_TRACE") != nullptr) {
                std::fprintf(stderr, "code %s (%zu inputs): %s\n", name, inputs,
                             outcome.ok ? (outcome.result ? hostdouble::describe(outcome.result.get()).c_str() : "ok")
                                        : harness::show(outcome.message).c_str());
            }
            hostdouble::clearCreationFaults();
        } else if (op < 0xA0) {
            const double command = code(in);
            const uint8_t countByte = in.byte();
            std::size_t count = countByte % 12;
            if (countByte < 200) {
                const qorin::CommandRow* row =
                    std::isfinite(command) && std::fabs(command) < 1e6 ? qorin::findCommandRow(static_cast<int32_t>(command)) : nullptr;
                count = row != nullptr ? static_cast<std::size_t>(row->parameterCount) : countByte % 4;
            }
            std::vector<mxArray*> params;
            for (std::size_t k = 0; k < count; ++k) params.push_back(readArray(in, 0));
            limitResources(std::isfinite(command) && std::fabs(command) < 1e6 ? static_cast<int>(command) : -99, params);
            std::vector<mxArray*> inputs;
            const uint8_t codeClass = op % 16;
            if (codeClass == 15) {
                // The command code itself of another class: single, int8, logical, char, complex.
                const uint8_t which = in.byte() % 5;
                inputs.push_back(which == 0   ? hostdouble::makeNumeric(mxSINGLE_CLASS, {1, 1}, {command})
                                 : which == 1 ? hostdouble::makeNumeric(mxINT8_CLASS, {1, 1}, {command})
                                 : which == 2 ? hostdouble::makeLogical({1, 1}, {true})
                                 : which == 3 ? hostdouble::makeText("7")
                                              : hostdouble::makeNumeric(mxDOUBLE_CLASS, {1, 1}, {command}, true));
            } else {
                inputs.push_back(hostdouble::makeDouble(command));
            }
            inputs.insert(inputs.end(), params.begin(), params.end());
            const double effective = codeClass == 15 ? std::numeric_limits<double>::quiet_NaN() : command;
            harness::Outcome outcome = harness::runRaw(std::move(inputs), op % 3);
            if (codeClass != 15) checkOutcome(effective, outcome);
            static const bool trace = std::getenv("QORIN_FUZZ_TRACE") != nullptr;
            if (trace) {
                std::fprintf(stderr, "code %g (%zu params): %s\n", command, count,
                             outcome.ok ? (outcome.result ? hostdouble::describe(outcome.result.get()).c_str() : "ok")
                                        : harness::show(outcome.message).c_str());
            }
            hostdouble::clearCreationFaults();
        } else if (op < 0xC8) {
            simulatorAction(in, op - 0xA0u);
        } else if (op < 0xDC) {
            const char* name = qorinsim::kSdkFunctions[in.byte() % qorinsim::kFailableSdkFunctionCount];
            const uint8_t error = in.byte();
            const uint32_t count = 1u + in.byte() % 3u;
            const uint32_t skip = in.byte() % 4u;
            qorinsim::failCalls(name, error % 3 == 0 ? 19u : error, count, skip);
            faultsInjected = true;
        } else if (op < 0xE6) {
            hostdouble::failCreations(in.byte() % 4, 1);
        } else {
            const int camera = 1 + in.byte() % 4;
            harness::Outcome outcome = harness::run(op % 2 == 0 ? -1 : 0, {harness::num(camera)});
            checkOutcome(op % 2 == 0 ? -1 : 0, outcome);
        }
        // Without SDK faults the module and the simulator must agree after every step; with them
        // the SDK may legitimately keep what it refused to release.
        if (!faultsInjected) {
            const std::string problem = harness::sanity();
            if (!problem.empty()) failure("inconsistent state: " + problem);
        }
    }
    hostdouble::clearCreationFaults();
    qorinsim::failCalls("", 0, 0, 0);
    harness::resetAll();
    if (hostdouble::liveArrays() != 0) failure(std::to_string(hostdouble::liveArrays()) + " MATLAB arrays leaked");
    return 0;
}
