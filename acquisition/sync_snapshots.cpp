// sync_snapshots.cpp - SYNC_SNAPSHOTS: one synchronised snapshot of every connected camera, one slab each.
#include <array>
#include <cstddef>
#include <utility>

#include "acquisition/array_slabs.h"
#include "acquisition/frame_readings.h"
#include "acquisition/sdk_conversions.h"
#include "camera/session.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"

namespace qorin {
namespace {

constexpr const char* kPictureTableFailed = "Not enough memory to create the rgb buffer array.";

// Reads what a camera's frame is turned into a picture with: its colour format and the
// conversion flags go with the frame, the parameters to the conversion.
ConversionParams readPictureSettings(QorinHandle handle, CapturedFrame& frame) {
    frame.colourFormat = readColourFormat(handle).value;
    return readFrameConversion(handle, frame);
}

// One camera taking part, in slot order.
struct Participant {
    CameraRecord* camera = nullptr;
    // Its raw frame kept to the copy for a monochrome sensor, its picture built for a colour
    // one; the flags are its demosaic-method read's.
    CapturedFrame frame;
};

// A synchronous session, disabled again on every way out of the command: it must not outlive
// the command that enabled it.  Previews stopped for the capture are not the session's to
// restart.
class SyncSession {
public:
    SyncSession(std::size_t count, QorinHandle* handles, SnapshotSettings** settings)
        : sync_(QorinEnableSynchronousSnapshots(static_cast<std::uint32_t>(count), handles, settings)) {
        if (sync_ == nullptr) failSdk("Failed to enable synchronous snapshots.");
    }
    SyncSession(const SyncSession&) = delete;
    SyncSession& operator=(const SyncSession&) = delete;
    ~SyncSession() {
        if (sync_ != nullptr) QorinDisableSynchronousSnapshots(sync_);
    }
    QorinSyncHandle get() const { return sync_; }
    // Ends the session; false when the SDK refuses, which is then not asked again.
    bool disable() { return QorinDisableSynchronousSnapshots(std::exchange(sync_, nullptr)) != 0; }

private:
    QorinSyncHandle sync_;
};

// 8-bit samples widened into a new buffer of 16-bit ones ("Not enough memory to create
// the rgb buffer array." when it cannot be had).
FrameBuffer widenedBuffer(const FrameBuffer& samples, std::uint64_t count) {
    FrameBuffer widened;
    if (!widened.allocate(2 * count)) failMemory(kPictureTableFailed);
    widenSamples(samples.data(), reinterpret_cast<std::uint16_t*>(widened.data()), static_cast<std::size_t>(count));
    return widened;
}

// Every slot, in order, whose camera is connected; their number goes to `count`.
std::array<Participant, kMaxCameraRecords> connectedParticipants(std::size_t& count) {
    std::array<Participant, kMaxCameraRecords> participants{};
    count = 0;
    CameraTable& table = cameraTable();
    for (std::int32_t slot = 0; slot < table.count() && count < participants.size(); ++slot) {
        if (table.at(slot).connected()) participants[count++].camera = &table.at(slot);
    }
    return participants;
}

// The path of participants of differing sizes or depths, or of an array that could not be
// had up front: every picture built, then the `reserved` array (zeroed unless every
// participant fills its slab) claimed and filled.
ArrayPtr copyIntoNewArray(std::array<Participant, kMaxCameraRecords>& participants, std::size_t n, std::size_t rows,
                          const PixelFormat& arrayFormat, Orientation orientation, ReservedArray& reserved) {
    const bool wide = arrayFormat.wide();
    for (std::size_t k = 0; k < n; ++k) {
        CapturedFrame& frame = participants[k].frame;
        if (!frame.picture.allocate(frame.geometry.pictureBytes)) failMemory(kPictureTableFailed);
    }
    for (std::size_t k = 0; k < n; ++k) {
        CapturedFrame& frame = participants[k].frame;
        QorinHandle handle = participants[k].camera->handle;
        ConversionParams conversion = readPictureSettings(handle, frame);
        // An 8-bit camera among 16-bit ones keeps its values, widened to the array's class.
        const bool widen = wide && !frame.format->wide();
        if (frame.monochrome()) {
            // Its raw frame goes straight into the array; the picture was an allocation check.
            frame.picture.release();
            if (widen) frame.raw = widenedBuffer(frame.raw, frame.geometry.rawBytes);
        } else {
            buildRgbPicture(handle, frame, frame.picture.data(), conversion);
            frame.raw.release();
            if (widen) frame.picture = widenedBuffer(frame.picture, frame.geometry.pictureBytes);
        }
    }

    // A creation up front was the command's one; its failure is reported here.
    ArrayPtr array = reserved.claim(kArrayFailed);
    void* data = mxGetData(array.get());
    for (std::size_t k = 0; k < n; ++k) {
        CapturedFrame& frame = participants[k].frame;
        copyRgbSlab(frame, ArraySlab{data, rows, arrayFormat.sampleBytes, k}, orientation);
        frame.picture.release();
        frame.raw.release();
    }
    return array;
}

}  // namespace

ArrayPtr handleSyncSnapshots(const Args&) {
    std::size_t n = 0;
    std::array<Participant, kMaxCameraRecords> participants = connectedParticipants(n);
    if (n < 2) failState("Must have at least 2 cameras connected to take synchronous snapshots.");
    for (std::size_t k = 0; k < n; ++k) suspendPreview(*participants[k].camera);

    std::array<QorinHandle, kMaxCameraRecords> handles{};
    std::array<SnapshotSettings*, kMaxCameraRecords> settings{};
    for (std::size_t k = 0; k < n; ++k) {
        handles[k] = participants[k].camera->handle;
        settings[k] = &participants[k].camera->snapshot;
    }

    // The formats are used as stored: no refresh from the video format.
    std::size_t rows = 0;
    bool wide = false;
    for (std::size_t k = 0; k < n; ++k) {
        Participant& p = participants[k];
        // The colour format is read after the capture.
        p.frame = describeFrame(p.camera->snapshot.format, PropertyReading{});
        if (p.frame.geometry.columns != participants[0].frame.geometry.columns) {
            failState("Camera sizes must all be the same to take synchronous snapshots.");
        }
        if (p.frame.geometry.rows > rows) rows = p.frame.geometry.rows;
        if (p.frame.format->wide()) wide = true;
    }
    const std::size_t columns = participants[0].frame.geometry.columns;

    const PixelFormat& arrayFormat = wide ? kPixel16Bit : kPixel8Bit;
    // Shorter participants leave rows of their slab unwritten, which must then read as zero.
    bool filled = true;
    bool sameDepth = true;
    for (std::size_t k = 0; k < n; ++k) {
        filled = filled && participants[k].frame.geometry.rows == rows;
        sameDepth = sameDepth && participants[k].frame.format == &arrayFormat;
    }
    // Participants that fill their slabs exactly get the result array before the capture,
    // untouched, and each raw frame lands in its own slab's blue plane: the command then
    // holds little more than its result.  Without the array they get buffers of their own,
    // and the failed creation is reported at its usual step, after the conversions.  Others
    // get theirs reserved before the capture too, and filled after the conversions.
    const bool early = filled && sameDepth;
    ArrayPtr array;
    ReservedArray reserved;
    if (early) {
        array = tryImageArray({rows, columns, 3, n}, arrayClass(arrayFormat));
    } else {
        reserved.reserve({rows, columns, 3, n}, arrayClass(arrayFormat), !filled);
    }
    void* slabs = array ? mxGetData(array.get()) : nullptr;
    // Fixed orientation here: the flipping property is not read.
    Orientation orientation;
    orientation.rowsReversed = true;

    SyncSession session(n, handles.data(), settings.data());
    std::array<void*, kMaxCameraRecords> rawTable{};
    for (std::size_t k = 0; k < n; ++k) {
        CapturedFrame& frame = participants[k].frame;
        const std::uint64_t rawBytes = frame.geometry.rawBytes;
        if (slabs != nullptr) {
            frame.raw.view(rawFrameInSlab(slabs, frame.geometry, k), rawBytes);
        } else if (!frame.raw.allocate(rawBytes)) {
            failMemory("Not enough memory to create raw buffer.");
        }
        rawTable[k] = frame.raw.data();
    }
    if (QorinTakeSynchronousSnapshots(session.get(), rawTable.data()) == 0) {
        failSdk("Error taking synchronous snapshots.");
    }
    if (!session.disable()) failSdk("Error disabling synchronous snapshots.");

    if (slabs != nullptr) {
        // Whether a participant's picture is to be built is known only once its colour format
        // has been read, after the capture.
        SlabFiller filler(slabs, participants[0].frame.geometry, n, true, kPictureTableFailed);
        for (std::size_t k = 0; k < n; ++k) {
            CapturedFrame& frame = participants[k].frame;
            QorinHandle handle = participants[k].camera->handle;
            ConversionParams conversion = readPictureSettings(handle, frame);
            filler.fill(handle, frame, k, conversion, orientation);
        }
    } else {
        if (early) reserved = ReservedArray(std::move(array));  // tried for, and refused
        array = copyIntoNewArray(participants, n, rows, arrayFormat, orientation, reserved);
    }
    for (std::size_t k = 0; k < n; ++k) resumePreview(*participants[k].camera);
    return array;
}

}  // namespace qorin
