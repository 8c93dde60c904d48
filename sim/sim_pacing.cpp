// sim_pacing.cpp - when the simulated cameras deliver video and fast frames: at once or at their frame rate, and bus stalls.
#include "sim/sim_internal.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace qorinsim {
namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

Clock::duration fromMilliseconds(double ms) { return std::chrono::duration_cast<Clock::duration>(Milliseconds(ms)); }

bool hasRate(const SimulatedCamera& camera) { return std::isfinite(camera.frameRate_) && camera.frameRate_ > 0.0f; }

// Realtime with a rate to run at; a camera without one delivers at once.
bool paced(const SimulatedCamera& camera) { return camera.timing_ == Timing::kRealtime && hasRate(camera); }

// When the clock produces frame `index` (not before clockFrame_).
Clock::time_point producedAt(const SimulatedCamera& camera, uint64_t index) {
    const double seconds = static_cast<double>(index - camera.clockFrame_) / camera.clockRate_;
    return camera.clockStart_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// The newest frame the clock has produced by `now`.
uint64_t newestAt(const SimulatedCamera& camera, Clock::time_point now) {
    const double seconds = std::chrono::duration<double>(now - camera.clockStart_).count();
    return camera.clockFrame_ + static_cast<uint64_t>(std::max(0.0, seconds * camera.clockRate_));
}

// The video timeout, not negative and short of overflowing the clock.
Clock::duration videoTimeout(const SimulatedCamera& camera) {
    const double ms = std::isnan(camera.videoTimeout_) ? 0.0 : std::clamp<double>(camera.videoTimeout_, 0.0, 1e9);
    return fromMilliseconds(ms);
}

// Stalls the bus when the frame about to be delivered is the hiccup's (or past it).
bool stall(SimulatedCamera& camera, Clock::time_point now) {
    if (!camera.hiccupPending_ || camera.frameCounter_ < camera.hiccupFrame_) return false;
    camera.hiccupPending_ = false;
    camera.stallEnd_ = now + fromMilliseconds(camera.hiccupDelay_);
    // Paced, the clock tells which frames were lost; at once, the frames of the stall's
    // length are skipped, so the counter shows the same gap without depending on the machine.
    if (!paced(camera) && hasRate(camera))
        camera.frameCounter_ += static_cast<uint64_t>(std::floor(camera.hiccupDelay_ * camera.frameRate_ / 1000.0));
    return true;
}

}  // namespace

void startClock(SimulatedCamera& camera) {
    camera.clockRunning_ = true;
    camera.clockStart_ = Clock::now();
    camera.clockFrame_ = camera.frameCounter_;
    camera.clockRate_ = camera.frameRate_;
}

void stopClock(SimulatedCamera& camera) { camera.clockRunning_ = false; }

bool awaitFrame(Call& call, SimulatedCamera*& camera, uint32_t& error) {
    const Clock::time_point deadline = Clock::now() + videoTimeout(*camera);
    for (;;) {
        // Looked up again after every wait: the camera may have been closed or reset meanwhile.
        camera = openCamera(call.handle());
        if (camera == nullptr) {
            error = kErrorInvalidHandle;
            return false;
        }
        const Clock::time_point now = Clock::now();
        Clock::time_point due = now;
        if (now < camera->stallEnd_) {
            due = camera->stallEnd_;
        } else if (paced(*camera)) {
            // A new rate starts the clock afresh at the next frame.
            if (!camera->clockRunning_ || camera->clockRate_ != camera->frameRate_) startClock(*camera);
            due = producedAt(*camera, camera->frameCounter_);
        }
        if (due <= now) {
            // A consumer that fell behind gets the newest frame; those in between are lost.
            if (paced(*camera)) camera->frameCounter_ = std::max(camera->frameCounter_, newestAt(*camera, now));
            if (!stall(*camera, now)) return true;
            continue;
        }
        if (now >= deadline) {
            error = kErrorTimeout;
            return false;
        }
        state().wake_.wait_until(call.lock(), std::min(due, deadline));
    }
}

bool deliverPacedFrame(Call& call, SimulatedCamera& camera, const FrameFormat& format, const Exposure& exposure,
                       void* buffer, uint32_t& error) {
    FramePlan plan;
    if (!takeFrame(camera, format, exposure, buffer, error, plan)) return false;
    // Drawn without the lock: captures on other cameras need not wait for this one.
    call.lock().unlock();
    drawFrame(plan);
    call.lock().lock();
    return true;
}

}  // namespace qorinsim
