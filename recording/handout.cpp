// handout.cpp - a recording's frames copied into MATLAB arrays, converted in turns shared with the worker, and their stamps.
#include "recording/handout.h"

#include <chrono>
#include <cmath>
#include <cstddef>
#include <optional>
#include <stdexcept>

#include "acquisition/array_slabs.h"
#include "acquisition/sdk_conversions.h"
#include "camera/recording_gate.h"

namespace qorin {
namespace {

// The fields of a frame's stamp in the result, in order.
struct StampField {
    const char* name;
    double (*value)(const FrameStamp& stamp);
};
constexpr StampField kStampFields[] = {
    {"sequence", [](const FrameStamp& stamp) { return static_cast<double>(stamp.sequence); }},
    {"timestamp", [](const FrameStamp& stamp) { return stamp.timestamp; }},
    {"missed", [](const FrameStamp& stamp) { return static_cast<double>(stamp.missed); }},
};
constexpr auto kStampNames = fieldNamesOf(kStampFields);

ArrayPtr makeStampArray(std::size_t count) { return makeStructArray(count, 1, kStampNames.data(), kStampNames.size()); }

// Turns for a run of SDK conversions beside a recording: one is kept for several frames, up to
// half a frame period (or kShortestTurn for fast frames), so that neither the worker waits
// long for its next frame nor MATLAB a frame period for each conversion.
class ConversionTurns {
public:
    static constexpr double kShortestTurn = 0.005;

    ConversionTurns(SdkTurns& turns, double period) : turns_(turns), budget_(std::fmax(period / 2, kShortestTurn)) {}
    // Before a conversion: the turn held, or a new one once the budget is spent.
    void take() {
        const auto now = std::chrono::steady_clock::now();
        if (turn_ && std::chrono::duration<double>(now - since_).count() < budget_) return;
        turn_.reset();
        turn_.emplace(turns_);
        since_ = std::chrono::steady_clock::now();
    }

private:
    SdkTurns& turns_;
    double budget_;
    std::optional<HostTurn> turn_;
    std::chrono::steady_clock::time_point since_;
};

// The leased frames as GRAB_RAW_FRAME, GRAB_MONO_FRAME and GRAB_RGB_FRAME return a frame, one
// slab each, with the properties those commands read as the camera has them now
// (Recording::currentFrameProperties): while the worker runs, raw frames need no SDK call and
// mono and rgb ones only their conversions.
void copyFrames(CameraRecord& camera, const Recording& recording, const FrameLease& lease, FrameKind kind, void* data) {
    CapturedFrame frame = recording.frames().sameKind();
    const FrameGeometry& g = frame.geometry;
    const QorinHandle handle = camera.handle;
    const FrameProperties properties = recording.currentFrameProperties();
    const Orientation orientation = properties.orientation;
    if (kind == FrameKind::Raw) {
        for (std::uint64_t f = 0; f < lease.count(); ++f) {
            copyPlaneToArray(lease.samples(f), g.rows, g.columns, g.sampleBytes, orientation, data, g.rows,
                             static_cast<std::size_t>(f));
        }
        return;
    }
    ConversionParams params = properties.conversion.params;
    ConversionTurns turns(camera.sdkTurns, recording.period());
    auto view = [&](std::uint64_t f) { frame.raw.view(const_cast<std::uint8_t*>(lease.samples(f)), g.rawBytes); };
    if (kind == FrameKind::Mono) {
        FrameBuffer grey = allocateFrameBuffer(g.rawBytes, "Not enough memory to make grayscale frame buffer.");
        const SdkConversions& sdk = sdkConversions(*frame.format);
        for (std::uint64_t f = 0; f < lease.count(); ++f) {
            view(f);
            turns.take();
            convertFrame(handle, sdk.grey, frame, grey.data(), params, sdk.greyFailed);
            copyPlaneToArray(grey.data(), g.rows, g.columns, g.sampleBytes, orientation, data, g.rows,
                             static_cast<std::size_t>(f));
        }
        return;
    }
    frame.picture = allocatePictureBuffer(frame, "Not enough memory to make rgb frame buffer.");
    frame.monoWordFlags = properties.conversion.flags;
    for (std::uint64_t f = 0; f < lease.count(); ++f) {
        view(f);
        if (!frame.monochrome()) {
            turns.take();
            buildRgbPicture(handle, frame, frame.picture.data(), params);
        }
        copyRgbSlab(frame, ArraySlab{data, g.rows, g.sampleBytes, static_cast<std::size_t>(f)}, orientation);
    }
}

void fillStamps(mxArray* meta, const FrameLease& lease) {
    for (std::uint64_t f = 0; f < lease.count(); ++f) {
        const FrameStamp stamp = lease.stamp(f);
        int field = 0;
        for (const StampField& stampField : kStampFields) {
            *mxGetPr(mxGetFieldByNumber(meta, static_cast<mwIndex>(f), field++)) = stampField.value(stamp);
        }
    }
}

// The frames, copied into the arrays made for them; the lease is as long as the arrays.
void fill(CameraRecord& camera, const Recording& recording, const FrameLease& lease, FrameKind kind,
          const NamedResult& result, std::uint64_t count) {
    if (lease.count() != count) throw std::logic_error("fewer frames leased than counted");
    copyFrames(camera, recording, lease, kind, mxGetData(result.first.get()));
    fillStamps(result.second.get(), lease);
}

}  // namespace

NamedResult handOutFrames(CameraRecord& camera, Recording& recording, std::uint64_t count, FrameKind kind, bool newest) {
    const CapturedFrame& description = recording.frames();
    const FrameGeometry& g = description.geometry;
    const auto n = static_cast<std::size_t>(count);
    const mxClassID classId = arrayClass(*description.format);
    NamedResult result;
    if (kind == FrameKind::Rgb) {
        result.first = makeNumericArray({g.rows, g.columns, 3, n}, classId, kArrayFailed, true);
    } else {
        result.first = makeNumericArray({g.rows, g.columns, n}, classId, kArrayFailed, true);
    }
    result.second = makeStampArray(n);
    for (std::size_t f = 0; f < n; ++f) {
        for (int field = 0; field < static_cast<int>(kStampNames.size()); ++field) {
            setStructField(result.second.get(), f, field, makeDoubleScalar(0.0));
        }
    }
    // The frames available only grow but by a take, so the lease is as long as the arrays just
    // made; the newest frame, once there, is always there.
    if (newest) {
        const FrameLease lease = recording.peekNewest();
        fill(camera, recording, lease, kind, result, count);
    } else {
        TakeLease lease = recording.takeOldest(count);
        fill(camera, recording, lease, kind, result, count);
        lease.commit();
    }
    return result;
}

NamedResult noFrame() { return NamedResult(makeDoubleMatrix(0, 0), makeStampArray(0)); }

}  // namespace qorin
