#include "FormFixture.h"

#include <QMetaObject>

namespace {

using FormMainTest = FormFixture;

// The start values are tested with the session.
TEST_F(FormMainTest, OpensQuiet) {
    Run(3000);
    EXPECT_TRUE(sound.requests.empty());
}

TEST_F(FormMainTest, ClockTimerStoresTheTimeSoFar) {
    ticks.now += 30 * 60 * 1000;
    ASSERT_TRUE(QMetaObject::invokeMethod(&form->timClock, "timeout", Qt::DirectConnection));
    EXPECT_EQ(settings.Stored("Time", "TotalTime"), "1800");
    EXPECT_TRUE(form->close());
    // A timer that still fires after the unload finds no clock and does nothing.
    ASSERT_TRUE(QMetaObject::invokeMethod(&form->timClock, "timeout", Qt::DirectConnection));
}

} // namespace
