// recording_options_test.cpp - startRecording's options read from plain values, and the ring capacity they ask for.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "gateway/errors.h"
#include "platform/native_path.h"
#include "recording/options.h"
#include "tests/unit/command_failure.h"

namespace qorin {
namespace {

// Inputs as a host would present them, each a text or a number.
class PlainInputs final : public InputValues {
public:
    struct Input {
        TextValue text;
        NumberValue number;
    };

    explicit PlainInputs(std::vector<Input> inputs) : inputs_(std::move(inputs)) {}
    int size() const override { return static_cast<int>(inputs_.size()); }
    TextValue text(int k) const override { return inputs_[static_cast<std::size_t>(k)].text; }
    NumberValue number(int k) const override { return inputs_[static_cast<std::size_t>(k)].number; }
    bool textClass(int k) const override { return text(k).isText; }
    FileNameValue fileName(int k) const override {
        const TextValue given = text(k);
        return FileNameValue{given.isText, platform::nativePathOfText(given.text.data(), given.text.size(), 1), given.text};
    }

private:
    std::vector<Input> inputs_;
};

PlainInputs::Input word(const std::string& text, bool representable = true) {
    return {TextValue{true, representable, text}, NumberValue{}};
}
PlainInputs::Input number(double value, std::size_t elements = 1) {
    return {TextValue{}, NumberValue{true, false, false, elements, value}};
}
PlainInputs::Input logical(bool value) { return {TextValue{}, NumberValue{false, true, false, 1, value ? 1.0 : 0.0}}; }

RecordingOptions read(std::vector<PlainInputs::Input> inputs) {
    // Input 0 stands for the camera number, which the options follow.
    inputs.insert(inputs.begin(), number(1));
    return readRecordingOptions(PlainInputs(std::move(inputs)), 1);
}

// The kind and message of the first rule the inputs break.
std::string failure(std::vector<PlainInputs::Input> inputs) {
    const CommandFailure raised = commandFailure([&] { read(std::move(inputs)); });
    if (!raised.raised) return "none";
    return (raised.kind == ErrorKind::Usage ? "usage: " : raised.kind == ErrorKind::Value ? "value: " : "other: ") +
           raised.message;
}

TEST(RecordingOptions, EveryOptionByItsRulesTheLastOfATwiceGivenOneCounting) {
    const RecordingOptions options =
        read({word("SOURCE"), word("Snapshot"), word("frames"), number(10), word("seconds"), number(2.5), word("buffer"),
              number(8), word("whenFull"), word("stop"), word("file"), word("run.tif"), word("overwrite"), logical(true),
              word("buffer"), word("1 KiB")});
    EXPECT_EQ(options.source, RecordingSource::Snapshot);
    EXPECT_EQ(options.frames, 10u);
    EXPECT_EQ(options.seconds, 2.5);
    EXPECT_EQ(options.bufferFrames, 0u);
    EXPECT_EQ(options.bufferBytes, 1024u);
    EXPECT_EQ(options.whenFull, WhenFull::Stop);
    EXPECT_EQ(options.file, "run.tif");
    EXPECT_TRUE(options.overwrite);

    const std::string names = "the options are source, frames, seconds, buffer, whenFull, file and overwrite.";
    // A class the option does not take is a usage error, a value it does not take a value
    // error ('seconds' knows only values); the first rule broken, in the order of the inputs,
    // is the one raised, a name before its value.
    EXPECT_EQ(failure({word("frames")}), "usage: Recording options come in name, value pairs.");
    EXPECT_EQ(failure({number(1), number(2)}), "usage: Option names must be text; " + names);
    EXPECT_EQ(failure({word("fr\xe9mes", false), number(2)}),
              "value: The text holds a character that the user's default character encoding cannot represent.");
    EXPECT_EQ(failure({word(std::string(45, 'x')), number(1), word("frames"), number(0)}),
              "usage: Unknown recording option '" + std::string(40, 'x') + "...'. The options are source, frames, "
              "seconds, buffer, whenFull, file and overwrite.");
    EXPECT_EQ(failure({word("frames"), number(0), word("bogus"), number(1)}),
              "value: Option 'frames' must be a whole number of at least 1.");
    EXPECT_EQ(failure({word("frames"), word("ten")}), "usage: Option 'frames' must be a whole number of at least 1.");
    EXPECT_EQ(failure({word("frames"), number(9007199254740994.0)}),
              "value: Option 'frames' must be a whole number of at least 1.");
    EXPECT_EQ(failure({word("seconds"), word("5")}), "value: Option 'seconds' must be a positive number.");
    EXPECT_EQ(failure({word("buffer"), logical(true)}),
              "usage: Option 'buffer' must be a number of frames (at least 1) or a size such as '512MB'.");
    EXPECT_EQ(failure({word("buffer"), word("0.5B")}),
              "value: Option 'buffer' must be a number of frames (at least 1) or a size such as '512MB'.");
    EXPECT_EQ(failure({word("source"), number(1)}), "usage: Option 'source' must be 'video' or 'snapshot'.");
    EXPECT_EQ(failure({word("overwrite"), number(1, 2)}), "usage: Option 'overwrite' must be true or false.");
    EXPECT_EQ(failure({word("overwrite"), number(2)}), "value: Option 'overwrite' must be true or false.");
    EXPECT_EQ(failure({word("file"), number(1)}), "usage: Option 'file' must be a file name.");
    EXPECT_EQ(failure({word("file"), word("")}), "value: Option 'file' must be a file name.");
}

TEST(RecordingOptions, RingCapacityFromTheBufferTheDefaultAndTheMemory) {
    constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
    using Refusal = RingCapacity::Refusal;
    auto capacity = [](std::uint64_t frames, std::uint64_t bytes, std::uint64_t limit, std::uint64_t frameBytes,
                       std::uint64_t physical, std::uint64_t available) {
        RecordingOptions options;
        options.bufferFrames = frames;
        options.bufferBytes = bytes;
        options.frames = limit;
        const RingCapacity ring = ringCapacity(options, frameBytes, physical, available);
        return std::make_pair(ring.frames, ring.refusal);
    };
    // 'buffer' in frames, or in bytes as whole frames; less than a frame is refused.
    EXPECT_EQ(capacity(7, 0, 3, 1000, 0, 0), std::make_pair(std::uint64_t{7}, Refusal::None));
    EXPECT_EQ(capacity(0, 2999, 0, 1000, 0, 0), std::make_pair(std::uint64_t{2}, Refusal::None));
    EXPECT_EQ(capacity(0, 999, 0, 1000, 0, 0), std::make_pair(std::uint64_t{0}, Refusal::SmallerThanFrame));
    // The default: 1 GiB, or a quarter of a smaller memory, at least one frame, no more than 'frames'.
    EXPECT_EQ(capacity(0, 0, 0, kGiB / 8, 0, 0), std::make_pair(std::uint64_t{8}, Refusal::None));
    EXPECT_EQ(capacity(0, 0, 0, kGiB / 8, 2 * kGiB, 0), std::make_pair(std::uint64_t{4}, Refusal::None));
    EXPECT_EQ(capacity(0, 0, 0, 2 * kGiB, 0, 0), std::make_pair(std::uint64_t{1}, Refusal::None));
    EXPECT_EQ(capacity(0, 0, 5, kGiB / 8, 0, 0), std::make_pair(std::uint64_t{5}, Refusal::None));
    // The whole ring within the physical memory, and with a frame to spare within the memory
    // available now; unknown memory (0) sets no limit.
    EXPECT_EQ(capacity(10, 0, 0, 1000, 10000, 11000), std::make_pair(std::uint64_t{10}, Refusal::None));
    EXPECT_EQ(capacity(11, 0, 0, 1000, 10999, 0), std::make_pair(std::uint64_t{11}, Refusal::Memory));
    EXPECT_EQ(capacity(10, 0, 0, 1000, 0, 10999), std::make_pair(std::uint64_t{10}, Refusal::Memory));
}

}  // namespace
}  // namespace qorin
