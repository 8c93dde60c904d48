// sweep_table.cpp - every command with its set-up and the message each failing SDK step must give.
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

#include "gateway/command_registry.h"
#include "sim/sim_control.h"
#include "tests/native/harness.h"
#include "tests/sweep/sweep.h"

namespace sweep {
namespace {

using harness::flag;
using harness::num;
using harness::text;

// Steps shared by several commands.
constexpr const char* kStop = "An error occured while stopping the video preview.\n";
constexpr const char* kClose = "An error occured while closing the preview windows.\n";
constexpr const char* kOpen = "An error occured while opening the video preview.\n";
constexpr const char* kFormat = "An error occured while obtaining the frame format.\n";
constexpr const char* kColour = "An error occured while obtaining the color format.\n";
constexpr const char* kMatrix = "Error acquiring the correction matrix.";
constexpr const char* kDemosaic = "Error acquiring the demosaic method.";
constexpr const char* kFlip = "Error getting flipping property.";
constexpr const char* kRgb24 = "Failed to convert frame to RGB24.";
constexpr const char* kRgb48 = "Failed to convert frame to RGB48.";
constexpr const char* kArray = "An error occured while creating the Matlab array.";
constexpr const char* kRateMatrix = "An error occured while creating frame rate matrix.";

std::vector<Rule> suspendResume() {
    return {{"QorinStreamVideoControl", 0, kStop},
            {"QorinDestroyDisplayWindow", -1, kClose},
            {"QorinStreamVideoControl", 2, kOpen}};
}

std::vector<Rule> pipeline() {
    return {{"QorinGetProperty", 80, kColour}, {"QorinGetProperty", 65, kMatrix}, {"QorinGetProperty", 64, kDemosaic},
            {"QorinGetProperty", 66, kFlip},   {"QorinConvertFrameToRgb24", -1, kRgb24},
            {"QorinConvertFrameToRgb48", -1, kRgb48}};
}

std::vector<Rule> join(std::initializer_list<std::vector<Rule>> parts) {
    std::vector<Rule> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Camera 1 alone.
std::function<std::vector<mxArray*>()> cam() {
    return [] { return std::vector<mxArray*>{num(1)}; };
}

// Camera 1, then `more` for parameters 2, 3, ..., each of the class the registry says the
// command takes: a logical for a logical parameter, a double for any other.
std::function<std::vector<mxArray*>()> cam(int code, std::initializer_list<double> more) {
    const qorin::CommandRow* row = qorin::findCommandRow(code);
    std::vector<double> values(more);
    return [row, values] {
        std::vector<mxArray*> params{num(1)};
        for (std::size_t k = 0; k < values.size(); ++k) {
            const bool logical = row->conversions[k + 1] == qorin::Conv::Logical;
            params.push_back(logical ? flag(values[k] != 0.0) : num(values[k]));
        }
        return params;
    };
}

void sixteenBitVideo() { qorinsim::camera(1)->format_.pixelFormat = 1; }
void monochrome() { qorinsim::camera(1)->properties_[QORIN_PROP_COLOUR_FORMAT].value_ = 0.0f; }
void sixteenBitSnapshots() { harness::run(18, {num(1), flag(true)}); }

using Params = std::function<std::vector<mxArray*>()>;

Params noParams() {
    return [] { return std::vector<mxArray*>{}; };
}

// The stop of a running preview, whose failures leave what the SDK refused to release.
std::vector<Rule> stopChecked() {
    return {{"QorinStreamVideoControl", 0, kStop, -1, 77, "streaming without"},
            {"QorinDestroyDisplayWindow", -1, kClose, -1, 77, "display window without"}};
}

// A preview's start once the format is read: the size set, the window made, the stream opened.
std::vector<Rule> showPreview() {
    return {{"QorinSetFormat", -1, "An error occured while setting the frame size.\n"},
            {"QorinCreateDisplayWindow", -1, "A display window could not be created."},
            {"QorinStreamVideoControl", 2, kOpen}};
}

// A case of `code` with the cameras in `connect` connected and those in `preview` previewing.
Case make(std::string label, int code, std::vector<int> connect, std::vector<int> preview, Params params,
          std::vector<Rule> rules, const char* resultMessage = nullptr) {
    Case c;
    c.label = std::move(label);
    c.code = code;
    c.connect = std::move(connect);
    c.preview = std::move(preview);
    c.params = std::move(params);
    c.rules = std::move(rules);
    c.resultMessage = resultMessage;
    return c;
}

// A getter or setter whose one SDK call has one message.
Case single(int code, const char* function, const char* message, std::initializer_list<double> more = {},
            int selector = -1) {
    return make(qorin::findCommandRow(code)->name, code, {1}, {}, cam(code, more), {{function, selector, message}});
}

// A recording command: `name` on camera 1 with `more` inputs after the camera number.
Case recording(std::string label, const char* name, std::vector<int> preview,
               std::function<std::vector<mxArray*>()> more, std::vector<Rule> rules, bool result) {
    Case c = make(std::move(label), 0, {1}, std::move(preview),
                  [more] {
                      std::vector<mxArray*> inputs{num(1)};
                      for (mxArray* input : more()) inputs.push_back(input);
                      return inputs;
                  },
                  std::move(rules), result ? kArray : nullptr);
    c.name = name;
    c.namedResult = result;
    return c;
}

// Camera 1 with two frames recorded, its recording ended and settled.
void recordTwoFrames() {
    harness::runRaw({text("startRecording"), num(1), text("frames"), num(2), text("buffer"), num(2)});
    harness::awaitRecordingEnd(1, true);
}

}  // namespace

void awaitRecording() { harness::awaitRecordingEnd(1, false); }

std::vector<Case> cases() {
    std::vector<Case> all;
    auto add = [&](Case c) { all.push_back(std::move(c)); };

    // Sessions and preview.
    add(make("connect", -1, {}, {}, cam(),
             {{"QorinCameraOpen", -1, "An error has occured while opening a connection to the camera.\n"},
              {"QorinGetFormat", -1, "Failed to get the initial frame format.\n"}}));
    {
        Case c = make("disconnect, previewing, with an event", -2, {1}, {1}, cam(),
                      join({stopChecked(),
                            // Neither result is looked at: the camera is closed whatever the SDK says.
                            {{"QorinCameraClose", -1, nullptr, -1, 77, "open in the SDK"},
                             {"QorinUnregisterEventNotification", -1, nullptr, -1, 77, "SDK registrations"}}}));
        c.prepare = [] { harness::run(92, {num(1), num(1)}); };
        add(c);
    }
    add(make("start preview, connected", 0, {1}, {}, cam(), join({{{"QorinGetFormat", -1, kFormat}}, showPreview()})));
    add(make("start preview, connecting", 0, {}, {}, cam(),
             join({{{"QorinCameraOpen", -1, "An error has occured while opening a connection to the camera.\n"},
                    {"QorinGetFormat", -1, "Failed to get the initial frame format.\n", 0},
                    {"QorinGetFormat", -1, kFormat, 1}},
                   showPreview()})));
    add(make("stop preview", 1, {1}, {1}, cam(), stopChecked()));
    add(make("set preview size", 79, {1}, {1}, cam(79, {320, 240}),
             join({stopChecked(), {{"QorinGetFormat", -1, kFormat}}, showPreview()})));
    {
        Case c = single(80, "QorinAdjustDisplayWindow", "Error encountered while adjusting display window.", {0, 0, 100, 100});
        c.preview = {1};
        add(c);
    }
    add(make("is connected", 6, {1}, {}, cam(), {}));
    {
        Case c = make("count cameras", 37, {}, {}, noParams(),
                      {{"QorinNumCameras", -1, nullptr}});  // -1 is the count handed back
        c.checkNumCameras = false;
        add(c);
    }

    // Video grabs, on colour and monochrome sensors, 8 and 16 bits.
    for (int variant = 0; variant < 3; ++variant) {
        const char* names[3] = {"colour 8-bit", "colour 16-bit", "monochrome 8-bit"};
        const std::function<void()> prepares[3] = {nullptr, sixteenBitVideo, monochrome};
        auto grab = [&](std::string label, int code, Params params, std::vector<Rule> rules,
                        const char* resultMessage) {
            Case c = make(std::move(label), code, {1}, {1}, std::move(params),
                          join({{{"QorinGetFormat", -1, kFormat},
                                 {"QorinTakeVideo", -1, "An error occured while trying to take a video frame."}},
                                rules}),
                          resultMessage);
            c.prepare = prepares[variant];
            add(c);
        };
        const std::string tag = std::string(", ") + names[variant];
        grab("grab 7" + tag, 7, cam(), pipeline(), kArray);
        grab("grab 75" + tag, 75, cam(),
             join({pipeline(),
                   {{"QorinConvertFrameToGreyscale8", -1, "Failed to convert to 8-bit monochrome"},
                    {"QorinConvertFrameToGreyscale16", -1, "Failed to convert to 16-bit monochrome"}}}),
             kArray);
        grab("grab 76" + tag, 76, cam(), pipeline(), kArray);
        for (bool mono : {false, true}) {
            for (const char* name : {"sweep_image.pgm", "sweep_image.raw"}) {
                grab(std::string("save") + tag + ", " + name + (mono ? ", grey" : ", rgb"), 77,
                     [name, mono] { return std::vector<mxArray*>{num(1), text(name), flag(mono)}; },
                     join({{{"QorinConvertFrameToGreyscale8", -1,
                             "Could not convert to 8-bit grey scale. Image not saved."},
                            {"QorinConvertFrameToGreyscale16", -1,
                             "Could not convert to 16-bit grey scale. Image not saved."},
                            {"QorinSaveImageEx", -1, "Image save not successful."}},
                           pipeline()}),
                     nullptr);
            }
        }
    }

    // Still captures, with and without a running preview.
    for (int variant = 0; variant < 3; ++variant) {
        const bool previewing = variant != 1;
        const std::function<void()> prepare = variant == 2 ? std::function<void()>(sixteenBitSnapshots) : nullptr;
        const std::string tag = variant == 0 ? "previewing" : (variant == 1 ? "not previewing" : "16-bit");
        auto capture = [&](const char* what, int code, Params params, std::vector<Rule> rules,
                           const char* resultMessage) {
            Case c = make(what + (", " + tag), code, {1}, previewing ? std::vector<int>{1} : std::vector<int>{},
                          std::move(params), join({suspendResume(), rules}), resultMessage);
            c.prepare = prepare;
            add(c);
        };
        capture("snapshot", 13, cam(),
                join({pipeline(),
                      {{"QorinGetFormat", -1, kFormat},
                       {"QorinTakeSnapshot", -1, "Error {err} occured while attempting to take a fast frame with camera {cam}."},
                       {"QorinTakeSnapshot", -1, "Snapshot timed out.", -1, 19}}}),
                kArray);
        capture("fast frames", 87, cam(87, {3}),
                join({pipeline(),
                      {{"QorinGetFormat", -1, kFormat},
                       {"QorinEnableFastFrames", -1, "Error enabling fast frames."},
                       {"QorinTakeFastFrame", -1, "Error taking fast frames."},
                       {"QorinDisableFastFrames", -1, "Error enabling fast frames.", -1, 77, "fast-frame mode"}}}),
                kArray);
        capture("white balance from snapshot", 82, cam(82, {1, 1, 0, 0, 10, 10}),
                {{"QorinGetProperty", 80, kColour},
                 {"QorinGetFormat", -1, kFormat},
                 {"QorinTakeSnapshot", -1, "Error {err} occured while attempting to take a snapshot with camera {cam}."},
                 {"QorinTakeSnapshot", -1, "Snapshot timed out.", -1, 19},
                 {"QorinAdjustWhiteBalanceFromSnapshot", -1, "White balance settings could not be applied. Error #{err}"}},
                nullptr);
    }
    for (bool previewing : {true, false}) {
        Case c = make(std::string("synchronous snapshots, ") + (previewing ? "previewing" : "not previewing"), 32,
                      {2, 1}, previewing ? std::vector<int>{1, 2} : std::vector<int>{}, noParams(),
                      join({suspendResume(), pipeline(),
                            {{"QorinEnableSynchronousSnapshots", -1, "Failed to enable synchronous snapshots."},
                             {"QorinTakeSynchronousSnapshots", -1, "Error taking synchronous snapshots."},
                             {"QorinDisableSynchronousSnapshots", -1, "Error disabling synchronous snapshots.", -1, 77,
                              "synchronous session"}}}),
                      kArray);
        c.attached = 3;
        c.checkNumCameras = false;
        add(c);
    }

    // Frame geometry and rates; the setters stop a running preview and start it again.
    auto reshape = [&](const char* label, int code, std::initializer_list<double> more, std::vector<Rule> rules) {
        add(make(label, code, {1}, {1}, cam(code, more), join({suspendResume(), rules})));
    };
    reshape("set frame size", 2, {320, 240},
            {{"QorinGetProperty", 81, "An error occured wile obtaining the maximum resolution.\n"},
             {"QorinGetProperty", 82, "An error occured wile obtaining the maximum resolution.\n"},
             {"QorinGetFormat", -1, kFormat},
             {"QorinSetFormat", -1, "An error occured while setting the frame size.\n"}});
    add(single(12, "QorinGetFormat", "Failed to get the frame format."));
    add(single(8, "QorinGetFormat", "Failed to get the frame format."));
    reshape("set offset", 9, {4, 4},
            {{"QorinGetFormat", -1, "Failed to get the frame format."},
             {"QorinSetFormat", -1, "Failed to set the new offset. Offset may be invalid."}});
    reshape("set 16-bit video", 10, {1},
            {{"QorinGetFormat", -1, "Unable to get current frame format.", 0},
             {"QorinGetFormat", -1, "Failed to get the frame format.", 1},
             {"QorinSetFormat", -1, "Failed to enable 16-bit mode. Mode may not be supported."}});
    add(single(11, "QorinGetFormat", "Unable to get current frame format."));
    add(single(62, "QorinGetFormat", "Failed to get frame format."));
    add(make("set frame format", 63, {1}, {},
             [] {
                 mxArray* format = hostdouble::makeStruct(1, 1, {"width", "height", "xOffset", "yOffset", "xBinSub",
                                                                 "yBinSub", "xFlags", "yFlags", "pixelFormat", "frameRate"});
                 const double values[10] = {320, 240, 0, 0, 1, 1, 0, 0, 0, 15};
                 for (int f = 0; f < 10; ++f) mxSetFieldByNumber(format, 0, f, num(values[f]));
                 return std::vector<mxArray*>{num(1), format};
             },
             {{"QorinSetFormat", -1, "Failed to set new frame format."}}));
    reshape("set frame rate", 3, {15},
            {{"QorinGetFormat", -1, kFormat}, {"QorinSetFormat", -1, "Failed to set frame rate."}});
    add(make("list frame rates", 4, {1}, {}, cam(),
             {{"QorinEnumAvailableFrameRates", -1, "An error occured while obtaining number of available frame rates.\n", 0},
              {"QorinEnumAvailableFrameRates", -1, "An error occured while obtaining available frame rates.\n", 1}},
             kRateMatrix));
    {
        Case c = single(33, "QorinGetFormat", "An error occured while obtaining the current frame rate.");
        c.resultMessage = kRateMatrix;
        add(c);
    }

    // Snapshot settings: only the connection check reaches the SDK.
    for (int code : {15, 17, 24}) add(single(code, "QorinNumCameras", "Not enough cameras connected.", {5}));
    for (int code : {19, 21, 23, 25, 27}) add(single(code, "QorinNumCameras", "Not enough cameras connected."));
    add(single(20, "QorinNumCameras", "Not enough cameras connected.", {1, 1, 1, 1}));
    add(single(78, "QorinNumCameras", "Not enough cameras connected.", {1}));
    for (int code : {18, 22, 26}) add(single(code, "QorinNumCameras", "Not enough cameras connected.", {1}));
    add(single(14, "QorinPropertyRange", "Failed to get the exposure range."));
    add(single(16, "QorinPropertyRange", "Failed to get the gain range."));

    // Live properties.
    const struct {
        int set, get, range;
        const char* name;
    } kProperties[] = {{28, 29, 0, "gain"},   {30, 31, 0, "exposure"}, {42, 41, 52, "gamma"}, {44, 43, 53, "contrast"},
                       {46, 45, 54, "brightness"}, {48, 47, 55, "hue"}, {50, 49, 56, "saturation"}};
    for (const auto& p : kProperties) {
        static std::deque<std::string> texts;  // keeps the formatted messages alive, in place
        texts.push_back(std::string("An error occured while setting the ") + p.name + ".");
        add(single(p.set, "QorinSetProperty", texts.back().c_str(), {3}));
        texts.push_back(std::string("An error occured while getting the ") + p.name + ".");
        add(single(p.get, "QorinGetProperty", texts.back().c_str()));
        if (p.range != 0) {
            texts.push_back(std::string("Failed to get the ") + p.name + " range.");
            add(single(p.range, "QorinPropertyRange", texts.back().c_str()));
        }
    }
    add(single(39, "QorinGetProperty", "An error occured while getting the exposure.", {20}));
    add(single(40, "QorinSetProperty", "An error occured while setting the property.", {20, 100, 0}));
    add(single(51, "QorinPropertyRange", "Failed to get the property range.", {40}));

    // Pages and image formats.
    add(single(5, "QorinDisplayPropertyPage", "An error occured trying to display the video property page."));
    add(single(95, "QorinDisplayVideoFormatPage", "An error occured trying to display the video format page."));
    add(single(98, "QorinGetStillImageFormat", "Failed to get image format."));
    add(single(99, "QorinGetVideoImageFormat", "Failed to get image format."));

    // Enumeration, version and identity.
    {
        Case c = make("enumerate cameras", 38, {2, 1}, {}, noParams(),
                      {{"QorinNumCameras", -1, "Failed to enumerate all the cameras."},
                       {"QorinQueryVersion", -1, "Failed to enumerate all the cameras."}});
        c.attached = 2;
        c.checkNumCameras = false;
        add(c);
    }
    add(single(57, "QorinQueryVersion", "Failed to query software version information."));
    add(single(58, "QorinQueryExternInterface", "Failed to query external interface."));
    add(single(59, "QorinGetCameraId", "Failed to get camera ID."));
    add(single(60, "QorinGetTruePixelDepth", "Failed to get pixel depth."));
    add(single(94, "QorinGetHardwareRevision", "Error while getting hardware revision."));
    {
        Case c = single(100, "QorinSelectExternInterface", "Could not select extern interface.");
        c.connect = {};
        c.checkNumCameras = false;
        add(c);
    }

    // Automatic adjustments, lens and focus.
    add(single(64, "QorinOneShotAutoExposure", "Failed to perform one shot auto-exposure.", {100, 0, 0, 10, 10}));
    add(single(70, "QorinOneShotAutoIris", "Failed to perform one shot auto-iris.", {100, 0, 0, 10, 10}));
    add(single(65, "QorinOneShotAutoWhiteBalance", "Failed to perform one shot auto-white balance.", {0, 0, 10, 10}));
    add(single(66, "QorinOneShotAutoWhiteBalanceEx", "Failed to perform one shot auto-white balance.", {1, 1, 0, 0, 10, 10}));
    add(single(67, "QorinDigitalWhiteBalance", "Failed to perform digital white balance.", {0, 0, 10, 10}));
    add(single(68, "QorinDigitalWhiteBalanceEx", "Failed to perform digital white balance.", {1, 1, 0, 0, 10, 10}));
    add(single(83, "QorinCameraReset", "Could not reset camera."));
    add(single(84, "QorinAutoRoiGet", "Could not get auto region of interest."));
    add(single(85, "QorinAutoRoiSet", "An error occured while auto-setting the ROI. Error# {err}", {0, 0, 10, 10}));
    add(single(69, "QorinInitAutoLens", "An error occured while initializing the lens controller.", {1}));
    add(single(71, "QorinAutoFocusStart", "An error occured while starting an auto-focus operation.",
               {0, 0, 10, 10, 1, 2, 3, 0, 0}));
    add(single(72, "QorinAutoFocusWait", "An error occured while setting the focus wait timeout value. Error# {err}", {100}));
    add(single(73, "QorinAutoFocusStop", "An error occured while stopping the auto-focus operation."));
    add(single(74, "QorinAutoFocusQueryProgress",
               "An error occured while reading the auto-focus operation progress value. Error# {err}"));

    // Colour processing.
    {
        Case c = single(86, "QorinGetCurrentMatrix", "Could not get current matrix.");
        c.resultMessage = kArray;
        add(c);
    }
    auto lut = [] {
        std::vector<double> ramp(256);
        for (int k = 0; k < 256; ++k) ramp[static_cast<std::size_t>(k)] = k;
        return hostdouble::makeNumeric(mxUINT8_CLASS, {1, 256}, ramp);
    };
    {
        Case c = single(88, "QorinSetup8bitsLUT", "Error while setting up the 8-bit lookup table. Error# {err}");
        c.params = [lut] { return std::vector<mxArray*>{num(1), lut(), num(256)}; };
        add(c);
    }
    {
        Case c = single(89, "QorinSetup8bitsColorLUT", "Error while setting up the 8-bit color lookup table. Error# {err}");
        c.params = [lut] {
            return std::vector<mxArray*>{num(1), lut(), num(256), flag(true), flag(false), flag(true), flag(false)};
        };
        add(c);
    }
    {
        Case c = single(90, "QorinSetupCustomMatrix", "Error setting up custom matrix.");
        c.params = [] {
            return std::vector<mxArray*>{num(1), hostdouble::makeNumeric(mxDOUBLE_CLASS, {3, 3}, {1, 0, 0, 0, 1, 0, 0, 0, 1})};
        };
        add(c);
    }

    // GPIO and cooling.
    add(single(34, "QorinGpioRead", "Failed to read GPIO."));
    add(single(35, "QorinGpioWrite", "An error occured while writing to GPIO.", {3}));
    add(single(36, "QorinGpoSelect", "An error occured while enabling GPO.", {3}));
    add(single(61, "QorinGpioConfigure", "An error occured while enabling GPO.", {3}));
    for (bool on : {true, false}) {
        add(make(std::string("cooling ") + (on ? "on" : "off"), 81, {1}, {}, cam(81, {on ? 1.0 : 0.0, -10}),
                 {{"QorinSetProperty", 118, on ? "Failed to set camera's cooling." : "Failed to turn off camera's cooling."},
                  {"QorinSetProperty", 108, "Failed to set camera's temperature."}}));
    }

    // Events and time-outs.
    add(single(91, "QorinSetTimeout", "Error setting timout value.", {1, 1000}));
    add(single(92, "QorinRegisterEventNotification", "Could not register event.", {1}));
    {
        Case c = single(93, "QorinUnregisterEventNotification", "Error while unregistering event notification.", {1});
        c.prepare = [] { harness::run(92, {num(1), num(1)}); };
        add(c);
    }

    // Permanent buffer.
    add(single(96, "QorinPermanentBufferRead", "Could not read the permanent buffer.", {0, 16}));

    // Recording.  A start waits here for its one frame and the worker's end, so that the
    // worker's calls are logged once: its check of the format, its capture, and its giving back
    // of the camera's modes; the worker's failures are no failure of the start.
    {
        Case c = recording("start recording, video", "startRecording", {},
                           [] { return std::vector<mxArray*>{text("frames"), num(1)}; },
                           {{"QorinGetProperty", 80, kColour},
                            {"QorinGetFormat", -1, kFormat, 0},
                            {"QorinGetFormat", -1, nullptr, 1},
                            {"QorinGetProperty", 65, kMatrix},
                            {"QorinGetProperty", 64, kDemosaic},
                            {"QorinGetProperty", 66, kFlip},
                            {"QorinStreamVideoControl", 2, kOpen},
                            {"QorinTakeVideo", -1, nullptr},
                            {"QorinStreamVideoControl", 0, nullptr, -1, 77, "streaming without"}},
                           false);
        c.resultMessage = nullptr;
        add(c);
        Case s = recording("start recording, fast frames, previewing", "startRecording", {1},
                           [] { return std::vector<mxArray*>{text("source"), text("snapshot"), text("frames"), num(1)}; },
                           join({{{"QorinGetProperty", 80, kColour}, {"QorinGetFormat", -1, kFormat}},
                                 {{"QorinGetProperty", 65, kMatrix}, {"QorinGetProperty", 64, kDemosaic}},
                                 {{"QorinGetProperty", 66, kFlip}},
                                 {{"QorinStreamVideoControl", 0, kStop}, {"QorinDestroyDisplayWindow", -1, kClose}},
                                 {{"QorinEnableFastFrames", -1, "Error enabling fast frames."},
                                  {"QorinTakeFastFrame", -1, nullptr},
                                  {"QorinDisableFastFrames", -1, nullptr, -1, 77, "left in fast-frame mode"},
                                  {"QorinStreamVideoControl", 2, nullptr}}}),
                           false);
        s.resultMessage = nullptr;
        add(s);
    }
    for (const char* kind : {"raw", "mono", "rgb"}) {
        std::vector<Rule> rules{{"QorinGetProperty", 66, kFlip}, {"QorinGetProperty", 65, kMatrix},
                                {"QorinGetProperty", 64, kDemosaic}};
        if (std::string(kind) == "mono") rules.push_back({"QorinConvertFrameToGreyscale8", -1, "Failed to convert to 8-bit monochrome"});
        if (std::string(kind) == "rgb") rules.push_back({"QorinConvertFrameToRgb24", -1, kRgb24});
        Case c = recording(std::string("get frames, ") + kind, "getFrames", {},
                           [kind] { return std::vector<mxArray*>{num(2), text(kind)}; }, rules, true);
        c.prepare = recordTwoFrames;
        add(c);
    }
    {
        Case c = recording("peek frame, rgb", "peekFrame", {}, [] { return std::vector<mxArray*>{text("rgb")}; },
                           pipeline(), true);
        c.rules.erase(c.rules.begin());  // the colour format was read at the start
        c.prepare = recordTwoFrames;
        add(c);
        for (const char* name : {"recordingStatus", "isRecording", "stopRecording"}) {
            Case r = recording(name, name, {}, [] { return std::vector<mxArray*>{}; }, {},
                               std::string(name) != "stopRecording");
            r.resultMessage = nullptr;
            r.prepare = recordTwoFrames;
            add(r);
        }
        Case w = recording("waitFrames", "waitFrames", {}, [] { return std::vector<mxArray*>{num(2), num(1)}; }, {},
                           true);
        w.resultMessage = nullptr;
        w.prepare = recordTwoFrames;
        add(w);
    }
    {
        Case c = single(97, "QorinPermanentBufferWrite", "Could not write to the permanent buffer.");
        c.params = [] { return std::vector<mxArray*>{num(1), num(0), text("hello")}; };
        add(c);
    }
    return all;
}

}  // namespace sweep
