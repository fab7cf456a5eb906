#include "FormFixture.h"

#include <QMetaObject>

namespace {

using FormMainTest = FormFixture;

// The start values are tested with the session.
TEST_F(FormMainTest, OpensQuiet) {
    Run(3000);
    EXPECT_TRUE(sound.requests.empty());
}

// The close puts the microphone's mute back as it was found (muted, here), stores the practice time
// and closes the mixer, in this order and once.
TEST_F(FormMainTest, ClosesMutingTheMicrophoneBeforeStoringTheTime) {
    form.reset();
    settings.store.Set("Time", "TotalTime", "100");
    SetUp();
    ticks.now += 7000;
    mixer.calls.clear();
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->Session->Running);
    EXPECT_EQ(form->Session->Metron, nullptr);
    const auto mute = mixer.Find(MixerLineType::Microphone, MixerControlType::Mute);
    const std::vector<std::string> expected{"Set " + std::to_string(mute->description.controlId) +
                                                " 1",
                                            "Write Time/TotalTime=107", "Close"};
    // Nothing more when the window goes.
    form.reset();
    EXPECT_EQ(mixer.calls, expected);
}

TEST_F(FormMainTest, ClockTimerStoresTheTimeSoFar) {
    ticks.now += 30 * 60 * 1000;
    ASSERT_TRUE(QMetaObject::invokeMethod(&form->timClock, "timeout", Qt::DirectConnection));
    EXPECT_EQ(settings.store.Stored("Time", "TotalTime"), "1800");
    EXPECT_TRUE(form->close());
    // A timer that still fires after the unload finds no clock and does nothing.
    ASSERT_TRUE(QMetaObject::invokeMethod(&form->timClock, "timeout", Qt::DirectConnection));
}

} // namespace
