// permanent_buffer.cpp - reading and writing the camera's non-volatile permanent buffer.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "camera/camera_table.h"
#include "device/device_values.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"
#include "platform/mex_host.h"
#include "platform/mex_text.h"

namespace qorin {
namespace {

constexpr const char* kBufferMemory = "Error allocating memory for buffer.";

std::unique_ptr<std::uint8_t[]> allocateBytes(std::size_t count) {
    std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[count]);
    if (bytes == nullptr) failMemory(kBufferMemory);
    return bytes;
}

}  // namespace

ArrayPtr handleReadPermanentBuffer(const Args& args) {
    CameraRecord& camera =
        connectedCamera(args.integer(1), "Could not read from permanent buffer. Camera %d is not connected.");
    const std::int32_t offset = args.integer(2);
    const std::int32_t count = args.integer(3);
    // Widened with its sign, a negative count would ask for an impossible buffer.
    if (count < 0) failValue("Count must be greater than or equal to 0.");
    const auto size = static_cast<std::size_t>(count);
    // The SDK reads into the result itself, created first: no buffer of our own is held while
    // it is created.  Without it, a buffer takes the bytes and the failure is reported after
    // the read, where it always was.
    ReservedArray reserved;
    reserved.reserve({1, size}, mxUINT8_CLASS);
    std::unique_ptr<std::uint8_t[]> bytes;
    if (reserved.get() == nullptr) bytes = allocateBytes(size);
    std::uint8_t none = 0;  // an empty array may have no data, and the SDK refuses a null buffer
    auto* target = reserved.get() ? static_cast<std::uint8_t*>(mxGetData(reserved.get())) : bytes.get();
    if (target == nullptr) target = &none;
    if (QorinPermanentBufferRead(camera.handle, target, static_cast<std::uint32_t>(offset),
                                 static_cast<std::uint32_t>(count)) == 0) {
        failSdk("Could not read the permanent buffer.");
    }
    ArrayPtr result = reserved.claim(kResultMemoryMessage);
    if (bytes && size > 0) std::memcpy(mxGetData(result.get()), bytes.get(), size);
    return result;
}

ArrayPtr handleWritePermanentBuffer(const Args& args) {
    CameraRecord& camera =
        connectedCamera(args.integer(1), "Could not write to permanent buffer. Camera %d is not connected.");
    const std::int32_t offset = args.integer(2);
    const mxArray* data = args.array(3);
    // A string scalar is written as its characters, as the char vector would be.
    host::HostArray chars;
    if (!mxIsChar(data) && !mxIsNumeric(data)) {
        if (const mxArray* text = host::textChars(data, chars)) data = text;
    }
    const std::size_t rows = mxGetM(data);
    const std::size_t columns = mxGetN(data);
    if (rows != 1 && columns != 1) failValue("Input buffer must be a one-dimensional array.");
    // A 1-by-0 or 0-by-1 array holds nothing: its write is zero bytes long.
    const std::size_t extent = mxGetNumberOfElements(data) == 0 ? 0 : std::max(rows, columns);
    if (extent > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        failValue("Length must be greater than or equal to 0.");
    }
    const auto length = static_cast<std::int32_t>(extent);
    const auto bytes = allocateBytes(extent);
    if (mxIsChar(data)) {
        host::copyChars(data, reinterpret_cast<char*>(bytes.get()), extent);
    } else if (mxIsNumeric(data)) {
        fillBytesFromArray(data, bytes.get(), extent);
    } else {
        failUsage("Buffer data must be a character string or numeric.");
    }
    if (QorinPermanentBufferWrite(camera.handle, bytes.get(), static_cast<std::uint32_t>(offset),
                                  static_cast<std::uint32_t>(length)) == 0) {
        failSdk("Could not write to the permanent buffer.");
    }
    return nullptr;
}

}  // namespace qorin
