// device_events_test.cpp - event registration when the event object cannot be created or the SDK refuses it.
#include <gtest/gtest.h>

#include "camera/camera_table.h"
#include "camera/session.h"
#include "gateway/errors.h"
#include "gateway/handlers.h"
#include "platform/win32.h"
#include "sim/sim_control.h"
#include "tests/unit/command_failure.h"

namespace qorin {
namespace {

class RegisterEvent : public ::testing::Test {
protected:
    void SetUp() override {
        shutdownCameras();
        qorinsim::reset();
        QorinPlatformReset();
        connectCamera(1);
        qorinsim::clearCalls();
        args_.store(1, Conv::Integer).integer = 1;
        args_.store(2, Conv::Integer).integer = 4;
        openBefore_ = QorinPlatformOpenEvents();
    }
    void TearDown() override { shutdownCameras(); }

    std::string registerFailure() {
        const CommandFailure failure = commandFailure([this] { handleRegisterEvent(args_); });
        return failure.raised ? failure.message : "(no error)";
    }
    CameraRecord& camera() { return cameraTable().at(cameraTable().findCameraSlot(1)); }

    Args args_;
    int openBefore_ = 0;
};

TEST_F(RegisterEvent, NoEventObjectMeansNoRegistration) {
    QorinPlatformFailNextEvent();
    EXPECT_EQ(registerFailure(), "Could not register event.");
    for (const auto& call : qorinsim::calls()) EXPECT_STRNE(call.name_, "QorinRegisterEventNotification");
    EXPECT_EQ(camera().eventCounter, 0);
    EXPECT_TRUE(camera().events.empty());
}

TEST_F(RegisterEvent, RefusedRegistrationClosesItsEventObject) {
    qorinsim::failCalls("QorinRegisterEventNotification", 8, 1, 0);
    EXPECT_EQ(registerFailure(), "Could not register event.");
    EXPECT_EQ(QorinPlatformOpenEvents(), openBefore_);
    EXPECT_EQ(camera().eventCounter, 0);
    EXPECT_TRUE(camera().events.empty());
}

}  // namespace
}  // namespace qorin
