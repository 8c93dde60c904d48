// platform_mex_text_test.cpp - text parameters with MATLAB's 16-bit characters and string scalars, on the host double.
#include <gtest/gtest.h>

#include "mex.h"

// Only the host double has 16-bit characters, a user encoding to set and string arrays; the
// Octave build compiles this file to nothing.
#if defined(QORIN_HOST_DOUBLE_MATRIX_H)

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "host_double.h"
#include "platform/mex_host.h"
#include "platform/win32.h"
#include "sim/sim_control.h"

namespace {

struct Outcome {
    bool ok = false;
    std::string identifier;
    std::string message;
};

mxArray* number(double value) { return hostdouble::makeDouble(value); }

// One call of the module; it takes over and destroys the inputs and any output.
Outcome call(std::vector<mxArray*> inputs) {
    std::vector<mxArray*> outputs;
    hostdouble::RaisedError error;
    Outcome outcome;
    outcome.ok = hostdouble::call(outputs, std::vector<const mxArray*>(inputs.begin(), inputs.end()), &error);
    outcome.identifier = error.identifier;
    outcome.message = error.message;
    for (mxArray* array : outputs) mxDestroyArray(array);
    for (mxArray* array : inputs) mxDestroyArray(array);
    return outcome;
}

class TextInput : public ::testing::Test {
protected:
    void SetUp() override {
        hostdouble::runExitHook();
        qorinsim::reset();
        QorinPlatformReset();
        // Windows' conversion into a code page named, not the ANSI code page of the machine.
        QorinPlatformSetCodePage(1252);
        ASSERT_TRUE(call({number(-1), number(1)}).ok);
        ASSERT_TRUE(call({number(0), number(1)}).ok);
        live_ = hostdouble::liveArrays();
    }
    void TearDown() override {
        hostdouble::setUserEncoding(hostdouble::Encoding::kWindows1252);
        hostdouble::setTextModel(hostdouble::TextModel::kUserEncoding);
        QorinPlatformReset();
        // The host's char() and ismissing results and the round trip's array are all destroyed.
        EXPECT_EQ(hostdouble::liveArrays(), live_);
        hostdouble::runExitHook();
    }

    // Code 77 with `name`; the name the SDK was handed, or the error raised before any SDK call.
    std::string save(mxArray* name) {
        qorinsim::clearCalls();
        const Outcome outcome = call({number(77), number(1), name, hostdouble::makeLogical({1, 1}, {false})});
        for (const auto& record : qorinsim::calls()) {
            if (std::string(record.name_) != "QorinSaveImageEx") continue;
            const std::vector<std::uint8_t>& bytes = record.args_.back().bytes_;
            const std::string written(bytes.begin(), bytes.end());
            // Whether the file system takes the name (Wine's depends on the locale it runs in)
            // is not the module's business: the bytes the SDK got are.
            std::remove(written.c_str());
            return written;
        }
        if (outcome.ok) return "(no save)";
        return (qorinsim::calls().empty() ? "" : "after SDK calls: ") + outcome.identifier + ": " + outcome.message;
    }

    std::size_t live_ = 0;
};

constexpr const char* kUnrepresentable =
    "qorincam:value: The text holds a character that the user's default character encoding cannot represent.";
constexpr const char* kWrongClass = "qorincam:usage: The file name must be a character array.";

TEST_F(TextInput, FileNamesReachTheSdkInTheUsersEncodingOrNotAtAll) {
    // MATLAB's own C text is the user's encoding before R2022a and UTF-8 from it on; the SDK
    // reads the ANSI code page under both.
    for (const auto model : {hostdouble::TextModel::kUserEncoding, hostdouble::TextModel::kUtf8}) {
        hostdouble::setTextModel(model);
        // Windows-1252 holds 'é' and '€' (0x80), not 'Ł'; what it substitutes must not be saved.
        EXPECT_EQ(save(hostdouble::makeText16(u"qorin_\u00e9\u20ac.pnm")), "qorin_\xE9\x80.pnm");
        EXPECT_EQ(save(hostdouble::makeText16(u"C:\\Users\\\u0141ukasz\\frame.bmp")), kUnrepresentable);
        EXPECT_EQ(save(hostdouble::makeText16(u"qorin_?\u0141.pnm")), kUnrepresentable);
        // A null character is refused as before, whatever follows it.
        EXPECT_EQ(save(hostdouble::makeText16(std::u16string(u"a\0\u0141.raw", 7))),
                  "qorincam:usage: The file name must not contain a null character.");
    }
    // A Windows whose ANSI code page is UTF-8 (and so MATLAB's user encoding before R2022a).
    QorinPlatformSetCodePage(65001);
    hostdouble::setUserEncoding(hostdouble::Encoding::kUtf8);
    EXPECT_EQ(save(hostdouble::makeText16(u"qorin_\u0141ukasz_\U0001F600.pnm")),
              "qorin_\xC5\x81ukasz_\xF0\x9F\x98\x80.pnm");
    EXPECT_EQ(save(hostdouble::makeText16(std::u16string(u"qorin_") + char16_t(0xD800) + u".pnm")), kUnrepresentable);
}

TEST_F(TextInput, StringScalarsAreTextAndOtherStringsAWrongClass) {
    using Strings = std::vector<std::optional<std::u16string>>;
    EXPECT_EQ(save(hostdouble::makeStrings({1, 1}, {u"qorin_string.pnm"})), "qorin_string.pnm");
    EXPECT_EQ(save(hostdouble::makeStrings({1, 1}, {u"qorin_\u0141.pnm"})), kUnrepresentable);
    EXPECT_EQ(save(hostdouble::makeStrings({1, 2}, {u"a.pnm", u"b.pnm"})), kWrongClass);
    EXPECT_EQ(save(hostdouble::makeStrings({1, 1}, Strings{std::nullopt})), kWrongClass);
    EXPECT_EQ(save(hostdouble::makeStrings({0, 0}, {})), kWrongClass);
    EXPECT_EQ(save(number(42)), kWrongClass);
    // Byte data given as text: the permanent buffer takes a string scalar as its characters.
    EXPECT_TRUE(call({number(97), number(1), number(2), hostdouble::makeStrings({1, 1}, {u"ab"})}).ok);
    EXPECT_EQ(qorinsim::camera(1)->permanentBuffer_[3], 'b');
    // Names looked up in a table (named commands) are converted the same way.
    EXPECT_TRUE(call({hostdouble::makeStrings({1, 1}, {u"version"})}).ok);
}

}  // namespace

#endif
