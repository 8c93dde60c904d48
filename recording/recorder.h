// recorder.h - a camera's recording: a worker taking frames into a ring, a writer streaming them into a TIFF file.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "acquisition/capture_modes.h"
#include "acquisition/captured_frame.h"
#include "camera/camera_table.h"
#include "camera/sdk_turns.h"
#include "platform/native_path.h"
#include "platform/thread_safety.h"
#include "recording/frame_ring.h"
#include "recording/options.h"
#include "recording/recording.h"
#include "tiff/tiff_file.h"

namespace qorin {

// The first frame is on time; after it, a gap longer than one and a half frame periods means
// frames were lost in between, as many as the whole periods it spans beyond one.
std::uint32_t framesMissed(double gapSeconds, double periodSeconds);

// How a recording goes, shared by its worker, its writer and MATLAB's thread under one mutex:
// whether the worker runs and why it ended, the worker's failure, and whether the writer still
// has the file open and why it stopped writing.
class RecordingOutcome {
public:
    // The worker runs, and the writer has the file open when there is one.
    void begin(bool writing) QORIN_EXCLUDES(mutex_);
    // A start whose threads could not be made: neither runs.
    void neverRan() QORIN_EXCLUDES(mutex_);
    bool running() const QORIN_EXCLUDES(mutex_);
    // MATLAB's thread asks the running worker to stop: the reason that ends the recording.
    void stopAsked(StopReason reason) QORIN_EXCLUDES(mutex_);
    // The worker ended: why (unless a stop was asked for first) and, for an error, its failure.
    void workerEnded(StopReason reason, const std::string& error) QORIN_EXCLUDES(mutex_);
    // Why the file takes no more pages (the first failure is kept).
    void writeFailed(const std::string& what) QORIN_EXCLUDES(mutex_);
    void fileClosed() QORIN_EXCLUDES(mutex_);
    bool awaitFileClosed(std::chrono::steady_clock::time_point deadline) QORIN_EXCLUDES(mutex_);
    bool writing() const QORIN_EXCLUDES(mutex_);
    // The worker's failure, once.
    std::string takeError() QORIN_EXCLUDES(mutex_);
    // Its part of the statistics, with the ring's counts read under the same lock.
    void fill(RecordingStatistics& statistics, const FrameRing& ring) const QORIN_EXCLUDES(mutex_);

private:
    mutable platform::Mutex mutex_;
    platform::ConditionVariable fileClosed_;
    bool running_ QORIN_GUARDED_BY(mutex_) = false;
    bool writing_ QORIN_GUARDED_BY(mutex_) = false;
    StopReason stopReason_ QORIN_GUARDED_BY(mutex_) = StopReason::None;
    std::string error_ QORIN_GUARDED_BY(mutex_);
    bool errorReported_ QORIN_GUARDED_BY(mutex_) = false;
    std::string writeError_ QORIN_GUARDED_BY(mutex_);
};

// The worker thread's side of a recording, and all it may touch: its turns at the camera's SDK
// calls and the camera's handle (only in a turn), the ring it fills, the camera modes it gives
// back as it ends, and the outcome it reports.  Nothing of the camera record.
class FrameWorker {
public:
    struct Limits {
        RecordingSource source = RecordingSource::Video;
        std::uint64_t frames = 0;  // 0: none
        double seconds = 0.0;      // 0: none
    };

    FrameWorker(SdkTurns& turns, QorinHandle handle, FrameRing& ring, RecordingOutcome& outcome)
        : turns_(turns), handle_(handle), ring_(ring), outcome_(outcome) {}

    // MATLAB's thread, before the worker runs: what it records, and the modes it holds for it,
    // each given back as the recording ends (or, should the start fail, as the recorder goes).
    void prepare(const Limits& limits, const FrameFormat& format, double period) {
        limits_ = limits;
        format_ = format;
        period_ = period;
    }
    void holdStream(StartedStream stream) { stream_ = std::move(stream); }
    void holdFastFrames(FastFrameMode fastFrames) { fastFrames_ = std::move(fastFrames); }
    void holdPausedPreview() { previewPaused_ = true; }

    // The thread's function: frames into the ring until a limit, a stop, a full ring or a
    // failure; then the camera given back, the outcome reported, and the ring's end announced,
    // in that order.  Nothing leaves it.
    void run() noexcept;
    // From any thread: the worker stops before its next frame, or as soon as its wait for a
    // slot ends.
    void stop() noexcept;
    // Gives the camera back the modes held, in a turn; once.  The worker's end does; MATLAB's
    // thread does for a worker that never ran.
    void giveBackCamera() noexcept;
    // Once the worker has ended: whether the paused preview's stream runs again.
    bool previewResumed() const { return previewPaused_ && previewResumed_; }
    // The time frames are stamped from, set as the worker is launched.
    void startClock() { start_ = std::chrono::steady_clock::now(); }

private:
    StopReason takeFrames(std::string& error);
    // Why the recording ends before its next frame, or StopReason::None.
    StopReason limitReached(std::uint64_t acquired) const;
    // One frame into `slot`, in a turn at the SDK; null, or what failed.
    const char* takeFrame(std::uint8_t* slot);
    const char* takeFrameInTurn(std::uint8_t* slot) QORIN_REQUIRES(turns_);
    void giveBackInTurn() QORIN_REQUIRES(turns_);

    SdkTurns& turns_;
    const QorinHandle handle_ QORIN_GUARDED_BY(turns_);
    FrameRing& ring_;
    RecordingOutcome& outcome_;
    Limits limits_;
    FrameFormat format_{};  // the video format at the start, which every frame must still have
    double period_ = 0.0;   // seconds; 0 when the source has no frame rate
    std::chrono::steady_clock::time_point start_;
    std::atomic<bool> stopRequested_{false};

    StartedStream stream_;
    FastFrameMode fastFrames_;
    bool previewPaused_ = false;
    bool previewResumed_ = false;
    bool givenBack_ = false;
};

// The writer thread's side of a recording, and all it may touch: the ring it reads, the file,
// what every page shares, and the outcome it reports.
class PageWriter {
public:
    PageWriter(FrameRing& ring, RecordingOutcome& outcome, std::unique_ptr<TiffFile> file, const TiffPage& shape,
               double period)
        : ring_(ring), outcome_(outcome), file_(std::move(file)), shape_(shape), period_(period) {}

    // The thread's function: every frame the ring holds for it into a page, then the file
    // completed and closed, with nobody waiting on it.  Nothing leaves it.
    void run() noexcept;

private:
    // Pages until the ring's end, counted, with the stamps of the first and the last.
    void writePages(std::uint64_t& pages, double& first, double& last);
    void close(std::uint64_t pages, double first, double last) noexcept;

    FrameRing& ring_;
    RecordingOutcome& outcome_;
    std::unique_ptr<TiffFile> file_;
    TiffPage shape_;  // every page's but its samples and description
    double period_;
};

// A camera's recording.  Made and driven on MATLAB's thread; its worker thread makes the
// camera's capture calls, each in its turn with MATLAB's (SdkTurns), and its writer thread
// writes the frames.  No MATLAB API call is made off MATLAB's thread.
//
// The end of a recording is one event: the worker gives the camera back what it took (stream,
// fast-frame mode, a paused preview's stream), then records why it ended and stops running,
// and only then announces the ring's end; so whoever sees the end of the frames also sees the
// recording stopped.  The writer writes what the ring still holds for it and closes the file
// at once, with nobody waiting on it.
class Recorder final : public Recording {
public:
    // Starts recording the open camera as `options` say; throws CommandError, with nothing
    // started, no file made and the camera as it was, when it cannot.
    static std::unique_ptr<Recorder> start(CameraRecord& camera, const RecordingOptions& options);
    // Stops the worker and waits for the writer to close the file.
    ~Recorder() override;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    bool running() const noexcept override { return outcome_.running(); }
    void syncCameraRecord() noexcept override;
    void requestStop(bool unloading) noexcept override;
    void awaitEnd() noexcept override;
    void rereadFrameProperties() noexcept override;
    std::uint64_t framesNotTaken() const noexcept override { return ring_.counts().available; }

    const CapturedFrame& frames() const override { return description_; }
    FrameProperties currentFrameProperties() const override;
    double period() const override { return period_; }
    std::uint64_t capacity() const override { return ring_.capacity(); }
    FrameRing::Counts counts() const override { return ring_.counts(); }
    TakeLease takeOldest(std::uint64_t count) override { return ring_.takeOldest(count); }
    FrameLease peekNewest() override { return ring_.peekNewest(); }
    bool waitAvailable(std::uint64_t count, std::chrono::steady_clock::time_point deadline) override {
        return ring_.waitAvailable(count, deadline);
    }
    RecordingStatistics statistics() const override;
    std::string takeError() override { return outcome_.takeError(); }
    bool awaitFileClosed(std::chrono::steady_clock::time_point deadline) override;
    bool writesFile(const platform::FileIdentity& file) const override {
        return outcome_.writing() && fileIdentity_ == file;
    }

private:
    Recorder(CameraRecord& camera, const RecordingOptions& options)
        : camera_(camera), options_(options), worker_(camera.sdkTurns, camera.handle, ring_, outcome_) {}
    // The steps of a start, in order; each throws with the camera as the steps before left it,
    // which the recorder going away gives back.
    void describeFrames();
    void makeRing();
    void holdCameraModes();
    void createFile();
    void launch();

    CameraRecord& camera_;  // MATLAB's thread only
    RecordingOptions options_;
    std::string shownFile_;                // the file's absolute name in UTF-8, '' for none
    platform::FileIdentity fileIdentity_;  // of the file, taken when it was made
    CapturedFrame description_;
    double period_ = 0.0;   // seconds; 0 when the source has no frame rate
    FrameProperties properties_;  // MATLAB's thread only
    std::chrono::system_clock::time_point wallStart_;

    FrameRing ring_;
    RecordingOutcome outcome_;
    FrameWorker worker_;
    std::unique_ptr<PageWriter> writer_;  // with the file, while there is one
    std::thread workerThread_;
    std::thread writerThread_;
    bool synced_ = false;    // MATLAB's thread only
};

}  // namespace qorin
