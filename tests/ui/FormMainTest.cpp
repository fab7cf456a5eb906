#include "FormFixture.h"

#include <QMetaObject>

namespace {

using FormMainTest = FormFixture;

const std::string DefaultRhythmStored = "4 xxxx (xxxx xxxx xxxx xxxx)0  ";

TEST_F(FormMainTest, OpensWithTempo120PendulumLeftAndNothingPlaying) {
    EXPECT_EQ(form->lbBPM.text(), "120");
    EXPECT_TRUE(form->lbPause.isHidden());
    EXPECT_TRUE(form->lbAcel.isHidden());
    EXPECT_TRUE(form->Display.lbRhithm.text().isEmpty());
    EXPECT_TRUE(form->lbTime.text().isEmpty());
    EXPECT_TRUE(form->Display.lbInfo.text().isEmpty());
    EXPECT_TRUE(form->lbWave.isHidden());
    EXPECT_TRUE(form->lbProgress.isHidden());
    EXPECT_TRUE(form->Display.picBall.isHidden());
    EXPECT_EQ(form->Metron->Track().Rhithm(), DefaultRhythmStored);
    EXPECT_FALSE(form->Metron->Enable());
    EXPECT_FALSE(MicrophoneMuted());

    Run(3000);
    EXPECT_TRUE(sound.requests.empty());
    EXPECT_TRUE(form->Display.lbRhithm.text().isEmpty());
}

TEST_F(FormMainTest, ShowsTheTimeSinceTheTempoWasSetAsMinutesAndSeconds) {
    SwitchOn();
    ASSERT_TRUE(NextBeat());
    EXPECT_EQ(form->lbTime.text(), "0 : 00");
    // Each jump of the clock makes the next pass play a step at once, a main beat in this rhythm.
    form->Metron->BPM(120);
    const int32_t set = ticks.now;
    const auto at = [&](int32_t seconds) {
        ticks.now = set + seconds * 1000 - 1;
        EXPECT_TRUE(NextBeat());
        EXPECT_EQ(form->Metron->BpmTime(), seconds);
        return form->lbTime.text().toStdString();
    };
    EXPECT_EQ(at(59), "0 : 59");
    EXPECT_EQ(at(60), "1 : 00");
    EXPECT_EQ(at(65), "1 : 05");
    EXPECT_EQ(at(600), "10 : 00");
    EXPECT_EQ(at(3601), "60 : 01");
}

TEST_F(FormMainTest, SwitchingOffEmptiesTimeStripAndCaptionButKeepsTheTempo) {
    form->Metron->Track().Rhithm("4 /slow/ xxxx");
    SwitchOn();
    ASSERT_TRUE(NextBeat());
    EXPECT_EQ(form->Display.lbInfo.text(), "slow");
    EXPECT_FALSE(form->Display.lbRhithm.text().isEmpty());
    EXPECT_FALSE(form->lbTime.text().isEmpty());
    form->Metron->Enable(false);
    EXPECT_TRUE(form->lbTime.text().isEmpty());
    EXPECT_TRUE(form->Display.lbRhithm.text().isEmpty());
    EXPECT_TRUE(form->Display.lbInfo.text().isEmpty());
    EXPECT_EQ(form->lbBPM.text(), "120");
    // Switching on changes no label; the first step fills them.
    form->Metron->Enable(true);
    EXPECT_TRUE(form->Display.lbRhithm.text().isEmpty());
}

TEST_F(FormMainTest, RefusesToCloseDuringAnExportAndClosesAfterIt) {
    SwitchOn();
    ticks.now += 5000;
    form->ExportBusy = true;
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->Running);
    ASSERT_NE(form->Metron, nullptr);
    ASSERT_NE(form->Clock, nullptr);
    ASSERT_NE(form->Volume, nullptr);
    EXPECT_FALSE(MicrophoneMuted());
    EXPECT_FALSE(settings.store.Stored("Time", "TotalTime").has_value());

    form->ExportBusy = false;
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->Running);
    EXPECT_EQ(form->Metron, nullptr);
    EXPECT_EQ(form->Clock, nullptr);
    EXPECT_EQ(form->Volume, nullptr);
    EXPECT_TRUE(MicrophoneMuted());
    EXPECT_EQ(settings.store.Stored("Time", "TotalTime"), "5");
}

TEST_F(FormMainTest, UnloadMutesTheMicrophoneThenStoresThePracticeTimeThenClosesTheMixer) {
    form.reset();
    settings.store.Set("Time", "TotalTime", "100");
    form = std::make_unique<FormMain>(services, values);
    ticks.now += 7000;
    mixer.calls.clear();
    ASSERT_TRUE(form->close());
    const std::vector<std::string> expected{MicMuteWrite(1), "Write Time/TotalTime=107", "Close"};
    EXPECT_EQ(mixer.calls, expected);
    // Nothing more happens on a second close or at destruction.
    EXPECT_TRUE(form->close());
    form.reset();
    EXPECT_EQ(mixer.calls, expected);
}

TEST_F(FormMainTest, ClockTimerRedrawsTheFaceAndStoresTheTimeSoFar) {
    ticks.now += 30 * 60 * 1000;
    ASSERT_TRUE(QMetaObject::invokeMethod(&form->timClock, "timeout", Qt::DirectConnection));
    EXPECT_EQ(settings.store.Stored("Time", "TotalTime"), "1800");
    // Half an hour: the run hand points straight down from the centre (30, 30) to (30, 50).
    EXPECT_EQ(QColor(form->picClock.Picture().pixel(30, 45)), QColor(Qt::black));
    ticks.now += 10000;
    ASSERT_TRUE(QMetaObject::invokeMethod(&form->timClock, "timeout", Qt::DirectConnection));
    EXPECT_EQ(settings.store.Stored("Time", "TotalTime"), "1810");
    EXPECT_TRUE(form->close());
    // A timer that still fires after the unload finds no clock and does nothing.
    ASSERT_TRUE(QMetaObject::invokeMethod(&form->timClock, "timeout", Qt::DirectConnection));
}

} // namespace
