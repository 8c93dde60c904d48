// host_double.cpp - an in-process MEX host for native harnesses: arrays of every class, errors as exceptions.
#include "host_double.h"
#include "host_accounting.h"
#include "platform/utf8.h"
#include "platform/windows_1252.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

// Where MATLAB ends a call.  MinGW's setjmp unwinds the frames it leaves on Windows, running
// their destructors; the compiler's own pair leaves them as they are, as everywhere else.
#if defined(_WIN32) && defined(__GNUC__)
using CallEndBuffer = void* [5];
#  define HOSTDOUBLE_SETJMP(buffer) __builtin_setjmp(buffer)
#  define HOSTDOUBLE_LONGJMP(buffer) __builtin_longjmp(buffer, 1)
#else
using CallEndBuffer = std::jmp_buf;
#  define HOSTDOUBLE_SETJMP(buffer) setjmp(buffer)
#  define HOSTDOUBLE_LONGJMP(buffer) std::longjmp(buffer, 1)
#endif

struct mxArray_tag {
    mxClassID classId = mxDOUBLE_CLASS;
    std::vector<mwSize> dims{0, 0};
    bool complex = false;
    bool sparse = false;
    bool held = false;  // a field or cell of another array (in padding: the peaks count this struct)
    // Dense data (or the sparse values), malloc'd at its exact size so that AddressSanitizer
    // catches a read one element too far; null when there are no elements.
    void* real = nullptr;
    void* imag = nullptr;
    std::vector<mwIndex> ir;  // sparse row indices (nzmax)
    std::vector<mwIndex> jc;  // sparse column starts (n + 1)
    mwSize nzmax = 0;
    std::vector<std::string> fields;  // structures
    std::vector<mxArray*> children;   // structures (element-major, field-minor) and cells
};

namespace hostdouble {
namespace {

std::size_t gCreations = 0;
std::size_t gLive = 0;
std::size_t gFailSkip = 0;
std::size_t gFailCount = 0;
bool gFaultArmed = false;
void (*gExitHook)() = nullptr;
// The elements of string arrays (mxOBJECT_CLASS), kept beside them: the capture peaks count
// every array's header, which stays the size it was.
struct StringElements {
    std::vector<std::u16string> text;
    std::vector<bool> missing;
};
std::map<const mxArray*, StringElements> gStringArrays;
bool gMatlabMode = false;
bool gInCall = false;
CallEndBuffer gCallEnd;
// Made during the call in progress, in MATLAB mode: arrays alive, and mxMalloc'd blocks not
// made persistent.  Empty between calls (and always outside MATLAB mode).
std::set<mxArray*> gCallArrays;
std::set<void*> gCallBlocks;

void track(mxArray* array) {
    if (gMatlabMode && gInCall) gCallArrays.insert(array);
}

// Frees what MATLAB frees when a call ends: the arrays it made and left unheld (the output
// slots' among them, unless the call returned them) and its mxMalloc'd blocks.
void freeCallLeftovers(bool outputsReturned, std::vector<mxArray*>& outputs) {
    for (bool again = true; again;) {
        again = false;
        for (mxArray* array : gCallArrays) {
            const bool returned = outputsReturned && std::find(outputs.begin(), outputs.end(), array) != outputs.end();
            if (array->held || returned) continue;
            std::replace(outputs.begin(), outputs.end(), array, static_cast<mxArray*>(nullptr));
            mxDestroyArray(array);  // leaves gCallArrays
            again = true;
            break;
        }
    }
    gCallArrays.clear();
    for (void* block : gCallBlocks) std::free(block);
    gCallBlocks.clear();
}

// In MATLAB mode a creation or mxMalloc the host refuses ends the call: no frame of the
// module is unwound, so no destructor of the module runs.
[[noreturn]] void endCall() { HOSTDOUBLE_LONGJMP(gCallEnd); }
Encoding gEncoding = Encoding::kWindows1252;
TextModel gTextModel = TextModel::kUserEncoding;

// The encoding of the host's C text: UTF-8 from R2022a on, the user's before.
Encoding hostEncoding() { return gTextModel == TextModel::kUtf8 ? Encoding::kUtf8 : gEncoding; }

// Character k (a surrogate pair as one) in the user's encoding, '?' where it has none, as
// MATLAB substitutes; k moves past it.
void appendEncoded(std::string& out, const mxChar* chars, std::size_t& k, std::size_t n) {
    if (hostEncoding() == Encoding::kWindows1252) {
        char byte = '?';
        qorin::platform::toWindows1252(chars[k++], byte);
        out += byte;
        return;
    }
    const char32_t c = qorin::platform::nextUtf16(chars, n, k);
    if (qorin::platform::isSurrogate(c)) {
        out += '?';
    } else {
        qorin::platform::appendUtf8(out, c);
    }
}

// C text in the user's encoding as 16-bit characters; U+FFFD for a malformed UTF-8 sequence.
std::u16string decode(const char* text) {
    std::u16string out;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const std::size_t n = std::strlen(text);
    const Encoding encoding = hostEncoding();
    for (std::size_t k = 0; k < n;) {
        const unsigned char b = bytes[k];
        if (encoding == Encoding::kWindows1252 || b < 0x80) {
            out += encoding == Encoding::kWindows1252 ? qorin::platform::fromWindows1252(b) : static_cast<char16_t>(b);
            ++k;
            continue;
        }
        // MATLAB refuses UTF-8's form of a surrogate, byte by byte as any other bad sequence.
        std::size_t next = k;
        const char32_t c = qorin::platform::nextUtf8(text, n, next);
        if (qorin::platform::isSurrogate(c)) {
            out += u'\uFFFD';
            ++k;
            continue;
        }
        k = next;
        qorin::platform::putUtf16<char16_t>(c, std::back_inserter(out));
    }
    return out;
}

[[noreturn]] void misuse(const char* what, const mxArray* array) {
    std::fprintf(stderr, "host double: %s on %s\n", what, array == nullptr ? "null" : describe(array).c_str());
    std::abort();
}

std::size_t elementSize(mxClassID classId) {
    switch (classId) {
        case mxDOUBLE_CLASS: case mxINT64_CLASS: case mxUINT64_CLASS: return 8;
        case mxSINGLE_CLASS: case mxINT32_CLASS: case mxUINT32_CLASS: return 4;
        case mxINT16_CLASS: case mxUINT16_CLASS: case mxCHAR_CLASS: return 2;
        case mxINT8_CLASS: case mxUINT8_CLASS: case mxLOGICAL_CLASS: return 1;
        case mxCELL_CLASS: case mxSTRUCT_CLASS: return sizeof(mxArray*);
        default: return 0;
    }
}

bool isNumericClass(mxClassID classId) { return classId >= mxDOUBLE_CLASS && classId <= mxUINT64_CLASS; }

std::size_t countOf(const std::vector<mwSize>& dims) {
    std::size_t n = 1;
    for (mwSize d : dims) n *= d;
    return n;
}

// Decides whether the next creation fails; counts it either way.
bool creationAllowed() {
    ++gCreations;
    if (!gFaultArmed) return true;
    if (gFailSkip > 0) {
        --gFailSkip;
        return true;
    }
    if (gFailCount > 0) {
        --gFailCount;
        if (gFailCount == 0) gFaultArmed = false;
        return false;
    }
    gFaultArmed = false;
    return true;
}

std::vector<mwSize> normalised(mwSize ndim, const mwSize* dims) {
    std::vector<mwSize> out(dims, dims + ndim);
    while (out.size() < 2) out.push_back(out.empty() ? 0 : 1);
    // Trailing singleton dimensions beyond the second are dropped, as the hosts do.
    while (out.size() > 2 && out.back() == 1) out.pop_back();
    return out;
}

mxArray* allocate(mxClassID classId, std::vector<mwSize> dims, bool complex, bool clear) {
    // Absurd sizes are what a real host refuses with an out-of-memory result.
    long double total = 1;
    for (mwSize d : dims) total *= static_cast<long double>(d);
    const std::size_t size = elementSize(classId);
    if (total * static_cast<long double>(size == 0 ? 1 : size) > static_cast<long double>(1ull << 34)) return nullptr;
    auto* array = new mxArray_tag();
    track(array);
    array->classId = classId;
    array->dims = std::move(dims);
    array->complex = complex;
    const std::size_t n = countOf(array->dims);
    if (classId == mxCELL_CLASS) {
        array->children.assign(n, nullptr);
    } else if (n > 0 && size > 0) {
        array->real = accounting::allocateArrayData(n * size, clear);  // garbage unless cleared
        if (complex) array->imag = accounting::allocateArrayData(n * size, true);
    }
    ++gLive;
    return array;
}

mxArray* createNumeric(std::vector<mwSize> dims, mxClassID classId, mxComplexity complexity, bool clear) {
    if (!creationAllowed()) return nullptr;
    if (!isNumericClass(classId) && classId != mxLOGICAL_CLASS && classId != mxCHAR_CLASS) return nullptr;
    return allocate(classId, std::move(dims), complexity == mxCOMPLEX, clear);
}

mxArray* createStruct(std::vector<mwSize> dims, int fieldCount, const char** fieldNames) {
    if (!creationAllowed()) return nullptr;
    auto* array = allocate(mxSTRUCT_CLASS, std::move(dims), false, true);
    if (array == nullptr) return nullptr;
    for (int f = 0; f < fieldCount; ++f) array->fields.emplace_back(fieldNames[f]);
    array->children.assign(countOf(array->dims) * static_cast<std::size_t>(fieldCount), nullptr);
    return array;
}

mxArray* createSparse(mwSize m, mwSize n, mwSize nzmax, mxClassID classId, bool complex) {
    if (!creationAllowed()) return nullptr;
    if (nzmax == 0) nzmax = 1;
    auto* array = new mxArray_tag();
    track(array);
    array->classId = classId;
    array->dims = {m, n};
    array->sparse = true;
    array->complex = complex;
    array->nzmax = nzmax;
    array->real = accounting::allocateArrayData(nzmax * elementSize(classId), true);
    if (complex) array->imag = accounting::allocateArrayData(nzmax * elementSize(classId), true);
    array->ir.assign(nzmax, 0);
    array->jc.assign(n + 1, 0);
    ++gLive;
    return array;
}

// Called where the host holds no memory of its own: in MATLAB mode a null ends the call.
mxArray* refuseIfNull(mxArray* array) {
    if (array == nullptr && gMatlabMode && gInCall) endCall();
    return array;
}

const mxArray* must(const mxArray* array, const char* what) {
    if (array == nullptr) misuse(what, array);
    return array;
}

}  // namespace

namespace {
// Built as a DLL (standing where the host's libraries are) the host double has no module linked in.
#if defined(QORIN_HOST_DOUBLE_DLL)
MexEntry gEntry = nullptr;
#else
MexEntry gEntry = &mexFunction;
#endif
}  // namespace

void setEntry(MexEntry entry) { gEntry = entry; }

bool call(std::vector<mxArray*>& outputs, const std::vector<const mxArray*>& inputs, RaisedError* error,
          int outputCount) {
    // A host always provides at least one output slot.
    outputs.assign(static_cast<std::size_t>(outputCount < 1 ? 1 : outputCount), nullptr);
    accounting::beginCall();
    gInCall = true;
    if (HOSTDOUBLE_SETJMP(gCallEnd) != 0) {
        freeCallLeftovers(false, outputs);
        gInCall = false;
        accounting::endCall(nullptr);
        if (error != nullptr) *error = RaisedError{kOutOfMemoryIdentifier, kOutOfMemoryMessage};
        return false;
    }
    // Only MATLAB frees what a call leaves; Octave's frees are not modelled.
    auto leftovers = [&](bool returned) {
        if (gMatlabMode) freeCallLeftovers(returned, outputs);
        gInCall = false;
    };
    try {
        if (gEntry == nullptr) {
            std::fprintf(stderr, "host double: no mexFunction to call\n");
            std::abort();
        }
        gEntry(outputCount, outputs.data(), static_cast<int>(inputs.size()),
                    const_cast<const mxArray**>(inputs.data()));
        leftovers(true);
        accounting::endCall(outputs[0]);
        return true;
    } catch (const RaisedError& raised) {
        leftovers(false);
        accounting::endCall(outputs[0]);
        if (error != nullptr) *error = raised;
        return false;
    }
}

std::size_t creationCount() { return gCreations; }
std::size_t liveArrays() { return gLive; }
void resetCounters() { gCreations = 0; }

void failCreations(std::size_t skip, std::size_t count) {
    gFailSkip = skip;
    gFailCount = count;
    gFaultArmed = count > 0;
}

void clearCreationFaults() { failCreations(0, 0); }

void setMatlabMode(bool on) { gMatlabMode = on; }

bool runExitHook() {
    if (gExitHook == nullptr) return false;
    gExitHook();
    return true;
}

bool exitHookRegistered() { return gExitHook != nullptr; }

mxArray* makeDouble(double v) { return makeNumeric(mxDOUBLE_CLASS, {1, 1}, {v}); }

template <typename T>
static void store(void* data, std::size_t k, double v) {
    static_cast<T*>(data)[k] = static_cast<T>(v);
}

static void storeAs(mxClassID classId, void* data, std::size_t k, double v) {
    // Integer classes saturate, as MATLAB's conversions do; NaN becomes 0.
    auto clamp = [&](double lo, double hi) { return std::isnan(v) ? 0.0 : (v < lo ? lo : (v > hi ? hi : v)); };
    switch (classId) {
        case mxDOUBLE_CLASS: store<double>(data, k, v); break;
        case mxSINGLE_CLASS: store<float>(data, k, static_cast<double>(static_cast<float>(v))); break;
        case mxINT8_CLASS: store<int8_t>(data, k, clamp(-128, 127)); break;
        case mxUINT8_CLASS: store<uint8_t>(data, k, clamp(0, 255)); break;
        case mxINT16_CLASS: store<int16_t>(data, k, clamp(-32768, 32767)); break;
        case mxUINT16_CLASS: case mxCHAR_CLASS: store<uint16_t>(data, k, clamp(0, 65535)); break;
        case mxINT32_CLASS: store<int32_t>(data, k, clamp(-2147483648.0, 2147483647.0)); break;
        case mxUINT32_CLASS: store<uint32_t>(data, k, clamp(0, 4294967295.0)); break;
        case mxINT64_CLASS: store<int64_t>(data, k, clamp(-9223372036854775808.0, 9223372036854774784.0)); break;
        case mxUINT64_CLASS: store<uint64_t>(data, k, clamp(0, 18446744073709549568.0)); break;
        case mxLOGICAL_CLASS: store<uint8_t>(data, k, v != 0 ? 1 : 0); break;
        default: break;
    }
}

mxArray* makeNumeric(mxClassID classId, std::vector<std::size_t> dims, const std::vector<double>& values,
                     bool complex) {
    mxArray* array = allocate(classId, normalised(dims.size(), dims.data()), complex, true);
    const std::size_t n = countOf(array->dims);
    for (std::size_t k = 0; k < n && k < values.size(); ++k) storeAs(classId, array->real, k, values[k]);
    if (complex) {
        for (std::size_t k = 0; k < n; ++k) storeAs(classId, array->imag, k, 1.0);
    }
    return array;
}

mxArray* makeText(const std::string& text) {
    mxArray* array = allocate(mxCHAR_CLASS, {text.empty() ? 0u : 1u, text.size()}, false, true);
    for (std::size_t k = 0; k < text.size(); ++k) static_cast<mxChar*>(array->real)[k] = static_cast<unsigned char>(text[k]);
    return array;
}

mxArray* makeText16(const std::u16string& text) {
    mxArray* array = allocate(mxCHAR_CLASS, {text.empty() ? 0u : 1u, text.size()}, false, true);
    if (!text.empty()) std::memcpy(array->real, text.data(), text.size() * sizeof(mxChar));
    return array;
}

mxArray* makeStrings(std::vector<std::size_t> dims, const std::vector<std::optional<std::u16string>>& values) {
    mxArray* array = allocate(mxOBJECT_CLASS, normalised(dims.size(), dims.data()), false, true);
    const std::size_t n = countOf(array->dims);
    StringElements& elements = gStringArrays[array];
    elements.text.assign(n, u"");
    elements.missing.assign(n, false);
    for (std::size_t k = 0; k < n && k < values.size(); ++k) {
        elements.missing[k] = !values[k].has_value();
        elements.text[k] = values[k].value_or(u"");
    }
    return array;
}

void setUserEncoding(Encoding encoding) { gEncoding = encoding; }

void setTextModel(TextModel model) { gTextModel = model; }

mxArray* makeLogical(std::vector<std::size_t> dims, const std::vector<bool>& values) {
    mxArray* array = allocate(mxLOGICAL_CLASS, normalised(dims.size(), dims.data()), false, true);
    const std::size_t n = countOf(array->dims);
    for (std::size_t k = 0; k < n && k < values.size(); ++k) static_cast<mxLogical*>(array->real)[k] = values[k];
    return array;
}

mxArray* makeStruct(std::size_t rows, std::size_t columns, const std::vector<std::string>& fields) {
    mxArray* array = allocate(mxSTRUCT_CLASS, {rows, columns}, false, true);
    array->fields = fields;
    array->children.assign(rows * columns * fields.size(), nullptr);
    return array;
}

mxArray* makeCell(std::size_t rows, std::size_t columns) { return allocate(mxCELL_CLASS, {rows, columns}, false, true); }

mxArray* makeSparse(std::size_t rows, std::size_t columns, const std::vector<double>& dense, bool logical) {
    std::size_t nz = 0;
    for (std::size_t k = 0; k < rows * columns && k < dense.size(); ++k) nz += dense[k] != 0;
    const bool saved = gFaultArmed;
    gFaultArmed = false;
    mxArray* array = createSparse(rows, columns, nz, logical ? mxLOGICAL_CLASS : mxDOUBLE_CLASS, false);
    --gCreations;
    gFaultArmed = saved;
    std::size_t at = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        array->jc[c] = at;
        for (std::size_t r = 0; r < rows; ++r) {
            const std::size_t k = c * rows + r;
            if (k < dense.size() && dense[k] != 0) {
                array->ir[at] = r;
                storeAs(array->classId, array->real, at, dense[k]);
                ++at;
            }
        }
    }
    array->jc[columns] = at;
    return array;
}

double value(const mxArray* array, std::size_t k) {
    if (array == nullptr || array->real == nullptr || k >= countOf(array->dims) || array->sparse) return 0.0;
    const void* d = array->real;
    switch (array->classId) {
        case mxDOUBLE_CLASS: return static_cast<const double*>(d)[k];
        case mxSINGLE_CLASS: return static_cast<const float*>(d)[k];
        case mxINT8_CLASS: return static_cast<const int8_t*>(d)[k];
        case mxUINT8_CLASS: case mxLOGICAL_CLASS: return static_cast<const uint8_t*>(d)[k];
        case mxINT16_CLASS: return static_cast<const int16_t*>(d)[k];
        case mxUINT16_CLASS: case mxCHAR_CLASS: return static_cast<const uint16_t*>(d)[k];
        case mxINT32_CLASS: return static_cast<const int32_t*>(d)[k];
        case mxUINT32_CLASS: return static_cast<const uint32_t*>(d)[k];
        case mxINT64_CLASS: return static_cast<double>(static_cast<const int64_t*>(d)[k]);
        case mxUINT64_CLASS: return static_cast<double>(static_cast<const uint64_t*>(d)[k]);
        default: return 0.0;
    }
}

// MATLAB's name of the class; the only objects the double makes are string arrays.
static const char* classNameOf(mxClassID classId) {
    static const char* names[] = {"unknown", "cell",  "struct", "logical", "char",   "void",   "double", "single",
                                  "int8",    "uint8", "int16",  "uint16",  "int32",  "uint32", "int64",  "uint64",
                                  "function_handle", "opaque", "string"};
    return names[classId];
}

std::string describe(const mxArray* array) {
    std::string text = classNameOf(array->classId);
    if (array->sparse) text += " sparse";
    if (array->complex) text += " complex";
    text += " [";
    for (std::size_t d = 0; d < array->dims.size(); ++d) text += (d ? "x" : "") + std::to_string(array->dims[d]);
    return text + "]";
}

}  // namespace hostdouble

using hostdouble::creationAllowed;

extern "C" {

mxArray* mxCreateDoubleScalar(double v) {
    mxArray* array = hostdouble::createNumeric({1, 1}, mxDOUBLE_CLASS, mxREAL, true);
    hostdouble::refuseIfNull(array);
    if (array != nullptr) *static_cast<double*>(array->real) = v;
    return array;
}

mxArray* mxCreateLogicalScalar(mxLogical v) {
    mxArray* array = hostdouble::createNumeric({1, 1}, mxLOGICAL_CLASS, mxREAL, true);
    hostdouble::refuseIfNull(array);
    if (array != nullptr) *static_cast<mxLogical*>(array->real) = v;
    return array;
}

mxArray* mxCreateDoubleMatrix(mwSize m, mwSize n, mxComplexity complexity) {
    mxArray* array = hostdouble::createNumeric({m, n}, mxDOUBLE_CLASS, complexity, true);
    return hostdouble::refuseIfNull(array);
}

mxArray* mxCreateNumericMatrix(mwSize m, mwSize n, mxClassID classId, mxComplexity complexity) {
    mxArray* array = hostdouble::createNumeric({m, n}, classId, complexity, true);
    return hostdouble::refuseIfNull(array);
}

mxArray* mxCreateNumericArray(mwSize ndim, const mwSize* dims, mxClassID classId, mxComplexity complexity) {
    mxArray* array = hostdouble::createNumeric(hostdouble::normalised(ndim, dims), classId, complexity, true);
    return hostdouble::refuseIfNull(array);
}

mxArray* mxCreateUninitNumericArray(size_t ndim, size_t* dims, mxClassID classId, mxComplexity complexity) {
    mxArray* array = hostdouble::createNumeric(hostdouble::normalised(ndim, dims), classId, complexity, false);
    return hostdouble::refuseIfNull(array);
}

mxArray* mxCreateLogicalMatrix(mwSize m, mwSize n) {
    mxArray* array = hostdouble::createNumeric({m, n}, mxLOGICAL_CLASS, mxREAL, true);
    return hostdouble::refuseIfNull(array);
}

mxArray* mxCreateString(const char* text) {
    if (text == nullptr) hostdouble::misuse("mxCreateString(null)", nullptr);
    mxArray* array = nullptr;
    {
        const std::u16string chars = hostdouble::decode(text);
        const std::size_t length = chars.size();
        array = hostdouble::createNumeric({length == 0 ? 0u : 1u, length}, mxCHAR_CLASS, mxREAL, true);
        if (array != nullptr && length > 0) std::memcpy(array->real, chars.data(), length * sizeof(mxChar));
    }
    return hostdouble::refuseIfNull(array);
}

mxArray* mxCreateCharArray(mwSize ndim, const mwSize* dims) {
    if (ndim != 2 || dims == nullptr) hostdouble::misuse("mxCreateCharArray other than 2-D", nullptr);
    // Created before the refusal can end the call: its dimensions are freed by then.
    mxArray* array = hostdouble::createNumeric({dims[0], dims[1]}, mxCHAR_CLASS, mxREAL, true);
    return hostdouble::refuseIfNull(array);
}

mxArray* mxCreateCharMatrixFromStrings(mwSize m, const char** strings) {
    mxArray* array = nullptr;
    {
        std::vector<std::u16string> rows;
        std::size_t width = 0;
        for (mwSize r = 0; r < m; ++r) {
            rows.push_back(hostdouble::decode(strings[r]));
            width = std::max(width, rows.back().size());
        }
        array = hostdouble::createNumeric({m, width}, mxCHAR_CLASS, mxREAL, true);
        if (array != nullptr) {
            for (mwSize r = 0; r < m; ++r) {
                for (std::size_t c = 0; c < width; ++c)
                    static_cast<mxChar*>(array->real)[c * m + r] = c < rows[r].size() ? rows[r][c] : u' ';
            }
        }
    }
    return hostdouble::refuseIfNull(array);
}

mxArray* mxCreateStructMatrix(mwSize m, mwSize n, int fieldCount, const char** fieldNames) {
    mxArray* array = hostdouble::createStruct({m, n}, fieldCount, fieldNames);
    return hostdouble::refuseIfNull(array);
}

mxArray* mxCreateStructArray(mwSize ndim, const mwSize* dims, int fieldCount, const char** fieldNames) {
    mxArray* array = hostdouble::createStruct(hostdouble::normalised(ndim, dims), fieldCount, fieldNames);
    return hostdouble::refuseIfNull(array);
}

mxArray* mxCreateCellMatrix(mwSize m, mwSize n) {
    if (!creationAllowed()) return hostdouble::refuseIfNull(nullptr);
    mxArray* array = hostdouble::allocate(mxCELL_CLASS, {m, n}, false, true);
    return hostdouble::refuseIfNull(array);
}

mxArray* mxCreateSparse(mwSize m, mwSize n, mwSize nzmax, mxComplexity complexity) {
    mxArray* array = hostdouble::createSparse(m, n, nzmax, mxDOUBLE_CLASS, complexity == mxCOMPLEX);
    return hostdouble::refuseIfNull(array);
}

mxArray* mxCreateSparseLogicalMatrix(mwSize m, mwSize n, mwSize nzmax) {
    mxArray* array = hostdouble::createSparse(m, n, nzmax, mxLOGICAL_CLASS, false);
    return hostdouble::refuseIfNull(array);
}

void mxDestroyArray(mxArray* array) {
    if (array == nullptr) return;
    hostdouble::gCallArrays.erase(array);
    hostdouble::gStringArrays.erase(array);
    for (mxArray* child : array->children) mxDestroyArray(child);
    const std::size_t bytes = (array->sparse ? array->nzmax : hostdouble::countOf(array->dims)) *
                              hostdouble::elementSize(array->classId);
    hostdouble::accounting::releaseArrayData(array->real, bytes);
    hostdouble::accounting::releaseArrayData(array->imag, bytes);
    delete array;
    --hostdouble::gLive;
}

mxClassID mxGetClassID(const mxArray* a) { return hostdouble::must(a, "mxGetClassID")->classId; }
mwSize mxGetM(const mxArray* a) { return hostdouble::must(a, "mxGetM")->dims[0]; }
mwSize mxGetN(const mxArray* a) {
    hostdouble::must(a, "mxGetN");
    mwSize n = 1;
    for (std::size_t d = 1; d < a->dims.size(); ++d) n *= a->dims[d];
    return n;
}
mwSize mxGetNumberOfDimensions(const mxArray* a) { return hostdouble::must(a, "mxGetNumberOfDimensions")->dims.size(); }
const mwSize* mxGetDimensions(const mxArray* a) { return hostdouble::must(a, "mxGetDimensions")->dims.data(); }
size_t mxGetNumberOfElements(const mxArray* a) { return hostdouble::countOf(hostdouble::must(a, "mxGetNumberOfElements")->dims); }
size_t mxGetElementSize(const mxArray* a) { return hostdouble::elementSize(hostdouble::must(a, "mxGetElementSize")->classId); }
bool mxIsNumeric(const mxArray* a) { return hostdouble::isNumericClass(hostdouble::must(a, "mxIsNumeric")->classId); }
bool mxIsComplex(const mxArray* a) { return hostdouble::must(a, "mxIsComplex")->complex; }
bool mxIsEmpty(const mxArray* a) { return mxGetNumberOfElements(a) == 0; }
bool mxIsDouble(const mxArray* a) { return mxGetClassID(a) == mxDOUBLE_CLASS; }
bool mxIsSingle(const mxArray* a) { return mxGetClassID(a) == mxSINGLE_CLASS; }
bool mxIsLogical(const mxArray* a) { return mxGetClassID(a) == mxLOGICAL_CLASS; }
bool mxIsChar(const mxArray* a) { return mxGetClassID(a) == mxCHAR_CLASS; }
bool mxIsStruct(const mxArray* a) { return mxGetClassID(a) == mxSTRUCT_CLASS; }
bool mxIsCell(const mxArray* a) { return mxGetClassID(a) == mxCELL_CLASS; }
bool mxIsSparse(const mxArray* a) { return hostdouble::must(a, "mxIsSparse")->sparse; }
bool mxIsUint8(const mxArray* a) { return mxGetClassID(a) == mxUINT8_CLASS; }
bool mxIsUint16(const mxArray* a) { return mxGetClassID(a) == mxUINT16_CLASS; }
bool mxIsClass(const mxArray* a, const char* className) {
    return className != nullptr && std::strcmp(hostdouble::classNameOf(mxGetClassID(a)), className) == 0;
}

double mxGetScalar(const mxArray* a) {
    hostdouble::must(a, "mxGetScalar");
    // Octave raises on these; MATLAB's result is unspecified.  Either way the module must not ask.
    if (mxIsEmpty(a) || a->classId == mxCELL_CLASS || a->classId == mxSTRUCT_CLASS || a->classId == mxOBJECT_CLASS ||
        a->sparse)
        hostdouble::misuse("mxGetScalar", a);
    return hostdouble::value(a, 0);
}

double* mxGetPr(const mxArray* a) {
    if (hostdouble::must(a, "mxGetPr")->classId != mxDOUBLE_CLASS) hostdouble::misuse("mxGetPr", a);
    return static_cast<double*>(a->real);
}

double* mxGetPi(const mxArray* a) {
    if (hostdouble::must(a, "mxGetPi")->classId != mxDOUBLE_CLASS) hostdouble::misuse("mxGetPi", a);
    return static_cast<double*>(a->imag);
}

void* mxGetData(const mxArray* a) {
    hostdouble::must(a, "mxGetData");
    if (a->classId == mxCELL_CLASS || a->classId == mxSTRUCT_CLASS || a->classId == mxOBJECT_CLASS)
        hostdouble::misuse("mxGetData", a);
    return a->real;
}

void* mxGetImagData(const mxArray* a) { return hostdouble::must(a, "mxGetImagData")->imag; }

mxLogical* mxGetLogicals(const mxArray* a) {
    if (hostdouble::must(a, "mxGetLogicals")->classId != mxLOGICAL_CLASS) hostdouble::misuse("mxGetLogicals", a);
    return static_cast<mxLogical*>(a->real);
}

mxChar* mxGetChars(const mxArray* a) {
    if (hostdouble::must(a, "mxGetChars")->classId != mxCHAR_CLASS) hostdouble::misuse("mxGetChars", a);
    return static_cast<mxChar*>(a->real);
}

mwIndex* mxGetIr(const mxArray* a) {
    if (!hostdouble::must(a, "mxGetIr")->sparse) hostdouble::misuse("mxGetIr", a);
    return const_cast<mwIndex*>(a->ir.data());
}

mwIndex* mxGetJc(const mxArray* a) {
    if (!hostdouble::must(a, "mxGetJc")->sparse) hostdouble::misuse("mxGetJc", a);
    return const_cast<mwIndex*>(a->jc.data());
}

mwSize mxGetNzmax(const mxArray* a) { return hostdouble::must(a, "mxGetNzmax")->nzmax; }

int mxGetString(const mxArray* a, char* buffer, mwSize length) {
    if (!mxIsChar(a) || buffer == nullptr || length == 0) return 1;
    const std::size_t n = mxGetNumberOfElements(a);
    const auto* chars = static_cast<const mxChar*>(a->real);
    // As much as fits, never part of a character's bytes; 1 when not everything did.
    std::string text;
    std::size_t k = 0;
    while (k < n) {
        std::string one;
        std::size_t next = k;
        hostdouble::appendEncoded(one, chars, next, n);
        if (text.size() + one.size() > length - 1) break;
        text += one;
        k = next;
    }
    if (!text.empty()) std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return k == n ? 0 : 1;
}

char* mxArrayToString(const mxArray* a) {
    if (!mxIsChar(a)) return nullptr;
    const std::size_t n = mxGetNumberOfElements(a);
    std::string text;
    for (std::size_t k = 0; k < n;) hostdouble::appendEncoded(text, static_cast<const mxChar*>(a->real), k, n);
    // From mxMalloc, as MATLAB's is: freed with the call's other blocks unless the caller frees it.
    char* copy = static_cast<char*>(mxMalloc(text.size() + 1));
    if (copy == nullptr) return nullptr;
    if (!text.empty()) std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

int mxGetNumberOfFields(const mxArray* a) {
    return mxIsStruct(a) ? static_cast<int>(a->fields.size()) : 0;
}

const char* mxGetFieldNameByNumber(const mxArray* a, int field) {
    if (!mxIsStruct(a) || field < 0 || static_cast<std::size_t>(field) >= a->fields.size()) return nullptr;
    return a->fields[static_cast<std::size_t>(field)].c_str();
}

int mxGetFieldNumber(const mxArray* a, const char* name) {
    if (!mxIsStruct(a) || name == nullptr) return -1;
    for (std::size_t f = 0; f < a->fields.size(); ++f)
        if (a->fields[f] == name) return static_cast<int>(f);
    return -1;
}

mxArray* mxGetFieldByNumber(const mxArray* a, mwIndex index, int field) {
    if (!mxIsStruct(a)) hostdouble::misuse("mxGetFieldByNumber", a);
    if (field < 0 || static_cast<std::size_t>(field) >= a->fields.size() || index >= mxGetNumberOfElements(a))
        hostdouble::misuse("mxGetFieldByNumber out of range", a);
    return a->children[index * a->fields.size() + static_cast<std::size_t>(field)];
}

mxArray* mxGetField(const mxArray* a, mwIndex index, const char* name) {
    // Octave raises here for a non-structure; the module must check first.
    if (!mxIsStruct(a)) hostdouble::misuse("mxGetField", a);
    const int field = mxGetFieldNumber(a, name);
    if (field < 0 || index >= mxGetNumberOfElements(a)) return nullptr;
    return mxGetFieldByNumber(a, index, field);
}

void mxSetFieldByNumber(mxArray* a, mwIndex index, int field, mxArray* v) {
    if (!mxIsStruct(a) || field < 0 || static_cast<std::size_t>(field) >= a->fields.size() ||
        index >= mxGetNumberOfElements(a))
        hostdouble::misuse("mxSetFieldByNumber", a);
    mxArray*& slot = a->children[index * a->fields.size() + static_cast<std::size_t>(field)];
    // The host does not free a replaced value; a module that overwrites one leaks it.
    if (slot != nullptr && slot != v) std::fprintf(stderr, "host double: field %d of element %zu replaced\n", field, index);
    slot = v;
    if (v != nullptr) v->held = true;
}

void mxSetField(mxArray* a, mwIndex index, const char* name, mxArray* v) {
    const int field = mxGetFieldNumber(a, name);
    if (field < 0) hostdouble::misuse("mxSetField unknown field", a);
    mxSetFieldByNumber(a, index, field, v);
}

mxArray* mxGetCell(const mxArray* a, mwIndex index) {
    if (!mxIsCell(a) || index >= mxGetNumberOfElements(a)) hostdouble::misuse("mxGetCell", a);
    return a->children[index];
}

void mxSetCell(mxArray* a, mwIndex index, mxArray* v) {
    if (!mxIsCell(a) || index >= mxGetNumberOfElements(a)) hostdouble::misuse("mxSetCell", a);
    mxDestroyArray(a->children[index]);
    a->children[index] = v;
    if (v != nullptr) v->held = true;
}

// In MATLAB mode a refused block ends the call, and the blocks of a call are freed when it ends.
static void* callBlock(void* block) {
    if (!hostdouble::gMatlabMode || !hostdouble::gInCall) return block;
    if (block == nullptr) hostdouble::endCall();
    hostdouble::gCallBlocks.insert(block);
    return block;
}
void* mxMalloc(size_t size) { return callBlock(std::malloc(size == 0 ? 1 : size)); }
void* mxCalloc(size_t count, size_t size) { return callBlock(std::calloc(count == 0 ? 1 : count, size == 0 ? 1 : size)); }
void mxFree(void* pointer) {
    hostdouble::gCallBlocks.erase(pointer);
    std::free(pointer);
}
void mexMakeMemoryPersistent(void* pointer) { hostdouble::gCallBlocks.erase(pointer); }

void mexErrMsgTxt(const char* message) { throw hostdouble::RaisedError{"", message == nullptr ? "" : message}; }

void mexErrMsgIdAndTxt(const char* identifier, const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0u, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    throw hostdouble::RaisedError{identifier == nullptr ? "" : identifier, text};
}

void mexWarnMsgTxt(const char* message) { std::fprintf(stderr, "warning: %s\n", message); }

int mexPrintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int n = std::vfprintf(stdout, format, args);
    va_end(args);
    return n;
}

int mexCallMATLAB(int nlhs, mxArray* plhs[], int nrhs, mxArray* prhs[], const char* functionName) {
    const mxArray* in = nrhs == 1 && prhs != nullptr ? prhs[0] : nullptr;
    if (nlhs != 1 || plhs == nullptr || in == nullptr || in->classId != mxOBJECT_CLASS || functionName == nullptr)
        hostdouble::misuse("mexCallMATLAB other than char or ismissing of a string array", in);
    const hostdouble::StringElements& elements = hostdouble::gStringArrays[in];
    const std::size_t n = elements.text.size();
    if (std::strcmp(functionName, "ismissing") == 0) {
        mxArray* out = hostdouble::createNumeric(in->dims, mxLOGICAL_CLASS, mxREAL, true);
        if (out == nullptr) return 1;
        for (std::size_t k = 0; k < n; ++k) static_cast<mxLogical*>(out->real)[k] = elements.missing[k];
        plhs[0] = out;
        return 0;
    }
    if (std::strcmp(functionName, "char") != 0) hostdouble::misuse(functionName, in);
    // One row per element, padded with spaces; "" alone gives 0-by-0.  Code that passes a
    // missing string on has skipped its check.
    std::size_t width = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (elements.missing[k]) hostdouble::misuse("char of a missing string", in);
        width = std::max(width, elements.text[k].size());
    }
    mxArray* out = hostdouble::createNumeric({width == 0 && n <= 1 ? 0 : n, width}, mxCHAR_CLASS, mxREAL, true);
    if (out == nullptr) return 1;
    for (std::size_t r = 0; r < n; ++r) {
        for (std::size_t c = 0; c < width; ++c)
            static_cast<mxChar*>(out->real)[c * n + r] = c < elements.text[r].size() ? elements.text[r][c] : u' ';
    }
    plhs[0] = out;
    return 0;
}

int mexAtExit(void (*hook)(void)) {
    hostdouble::gExitHook = hook;
    return 0;
}

}  // extern "C"
