#include "FormFixture.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QMetaObject>
#include <QPixmap>
#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

using FormMainTest = FormFixture;

const std::string DefaultRhythmStored = "4 xxxx (xxxx xxxx xxxx xxxx)0  ";

QColor TextColour(const QLabel& label) {
    return label.palette().color(QPalette::WindowText);
}

TEST_F(FormMainTest, OpensWithTempo120PendulumLeftAndNothingPlaying) {
    EXPECT_EQ(form->lbBPM.text(), "120");
    EXPECT_EQ(form->Display.LineMetr.P1, QPoint(218, 63));
    EXPECT_EQ(form->Display.LineMetr.P2, QPoint(208, 38));
    EXPECT_EQ(QPoint(form->Display.shMetr.Left, form->Display.shMetr.Top), QPoint(204, 34));
    EXPECT_TRUE(form->lbPause.isHidden());
    EXPECT_TRUE(form->lbPau1.isHidden());
    EXPECT_TRUE(form->lbPau2.isHidden());
    EXPECT_EQ(form->lbPause.text(), "4");
    EXPECT_TRUE(form->lbAcel.isHidden());
    EXPECT_TRUE(form->Display.lbRhithm.text().isEmpty());
    EXPECT_TRUE(form->lbTime.text().isEmpty());
    EXPECT_TRUE(form->Display.lbInfo.text().isEmpty());
    EXPECT_TRUE(form->lbWave.isHidden());
    EXPECT_TRUE(form->lbProgress.isHidden());
    EXPECT_TRUE(form->Display.picBall.isHidden());
    EXPECT_EQ(form->Metron->Track().Rhithm(), DefaultRhythmStored);
    EXPECT_FALSE(form->Metron->Enable());
    EXPECT_TRUE(form->Running);
    EXPECT_FALSE(form->ExportBusy);
    EXPECT_EQ(form->DisplayMode, 0);
    EXPECT_FALSE(MicrophoneMuted());

    Run(3000);
    EXPECT_TRUE(sound.requests.empty());
    EXPECT_TRUE(form->Display.lbRhithm.text().isEmpty());
}

TEST_F(FormMainTest, FillsTheTempoMemoryWithItsStartingSeries) {
    values.TempoMemory.fill(0);
    values.CurSlot = 3;
    form.reset();
    form = std::make_unique<FormMain>(services, values);
    EXPECT_EQ(values.TempoMemory, (std::array<int32_t, 9>{30, 35, 40, 45, 50, 55, 60, 65, 70}));
    EXPECT_EQ(values.CurSlot, 8);
    EXPECT_EQ(values.LastSlot, 8);
}

TEST_F(FormMainTest, PlacesEveryControlWithItsContentAndColours) {
    EXPECT_EQ(form->windowTitle(), "Pulsara");
    EXPECT_EQ(form->size(), QSize(268, 172));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(255, 224, 192));

    EXPECT_EQ(form->Display.picBall.pos(), QPoint(208, 0));
    EXPECT_EQ(form->Display.picBall.Picture().size(), QSize(41, 89));
    EXPECT_EQ(form->picClock.pos(), QPoint(0, 0));
    EXPECT_EQ(form->lbProgress.geometry(), QRect(72, 128, 129, 25));
    EXPECT_EQ(form->lbWave.geometry(), QRect(48, 88, 169, 41));
    EXPECT_EQ(form->lbWave.text(), "Export to Wave Please Wait");
    EXPECT_EQ(form->Display.lbInfo.geometry(), QRect(0, 120, 89, 17));
    EXPECT_EQ(form->Display.Label1.geometry(), QRect(8, 136, 89, 17));
    EXPECT_EQ(form->Display.Label1.text(), "       |");
    EXPECT_EQ(form->Display.lbRhithm.geometry(), QRect(8, 152, 257, 17));
    EXPECT_EQ(form->lbPau2.geometry(), QRect(240, 90, 25, 17));
    EXPECT_EQ(form->lbPau2.text(), "sec.");
    EXPECT_EQ(form->lbPau1.geometry(), QRect(180, 90, 33, 17));
    EXPECT_EQ(form->lbPau1.text(), "Pause");
    EXPECT_EQ(form->lbAcel.geometry(), QRect(64, 8, 145, 25));
    EXPECT_EQ(form->lbAcel.text(), "Accelerando");
    EXPECT_EQ(form->lbPause.geometry(), QRect(216, 88, 17, 17));
    EXPECT_EQ(form->Display.imMetronome.Geometry, QRect(192, 24, 64, 64));
    EXPECT_EQ(form->Display.imMetronome.Picture.size(), QSize(64, 64));
    EXPECT_EQ(form->lbTime.geometry(), QRect(64, 104, 145, 41));
    EXPECT_EQ(form->lbBPM.geometry(), QRect(88, 40, 97, 41));
    EXPECT_EQ(form->Display.shMetr.Size, 9);
    EXPECT_EQ(form->Display.LineMetr.BorderWidth, 2);

    EXPECT_EQ(TextColour(form->lbBPM), QColor(0, 0, 192));
    EXPECT_EQ(TextColour(form->lbAcel), QColor(192, 0, 0));
    EXPECT_EQ(TextColour(form->lbTime), QColor(0, 0, 0));
    for (const QLabel* centred : {&form->lbProgress, &form->lbWave, &form->Display.lbInfo,
                                  &form->lbAcel, &form->lbTime, &form->lbBPM}) {
        EXPECT_TRUE(centred->alignment() & Qt::AlignHCenter) << centred->text().toStdString();
    }
    EXPECT_TRUE(form->Display.lbRhithm.alignment() & Qt::AlignLeft);

    EXPECT_EQ(form->timClock.interval(), 10000);
    EXPECT_TRUE(form->timClock.isActive());
}

TEST_F(FormMainTest, UsesTheDesignedFacesAndSizesAt96Dpi) {
    const QFontInfo strip(form->Display.lbRhithm.font());
    const QFontInfo marker(form->Display.Label1.font());
    EXPECT_TRUE(strip.fixedPitch());
    EXPECT_TRUE(marker.fixedPitch());
    EXPECT_EQ(strip.family(), marker.family());
    EXPECT_EQ(strip.family(), "Liberation Mono") << "install fonts-liberation2";
    EXPECT_TRUE(form->Display.Label1.font().bold());
    EXPECT_FALSE(form->Display.lbRhithm.font().bold());
    EXPECT_EQ(QFontInfo(form->lbBPM.font()).family(), "Liberation Sans");
    EXPECT_FALSE(QFontInfo(form->lbBPM.font()).fixedPitch());

    // 12 points are 16 pixels and 24 points 32 pixels on the 96-dpi screen of the layout.
    EXPECT_EQ(form->Display.lbRhithm.font().pixelSize(), 16);
    EXPECT_EQ(form->Display.Label1.font().pixelSize(), 16);
    EXPECT_EQ(form->Display.lbInfo.font().pixelSize(), 16);
    EXPECT_TRUE(form->Display.lbInfo.font().bold());
    EXPECT_EQ(form->lbPause.font().pixelSize(), 16);
    EXPECT_EQ(form->lbBPM.font().pixelSize(), 32);
    EXPECT_EQ(form->lbTime.font().pixelSize(), 32);
}

TEST_F(FormMainTest, MarkerBarStandsOverTheEighthColumnOfTheStrip) {
    const QFontMetricsF strip(form->Display.lbRhithm.font());
    const QFontMetricsF marker(form->Display.Label1.font());
    const double columnLeft = strip.horizontalAdvance(QStringLiteral("       "));
    const double columnRight = strip.horizontalAdvance(QStringLiteral("        "));
    const double barLeft = marker.horizontalAdvance(QStringLiteral("       "));
    const double barRight = marker.horizontalAdvance(QStringLiteral("       |"));
    EXPECT_DOUBLE_EQ(barLeft, columnLeft);
    EXPECT_DOUBLE_EQ(barRight, columnRight);
    EXPECT_EQ(form->Display.Label1.x(), form->Display.lbRhithm.x());
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

TEST_F(FormMainTest, PauseLabelsFollowThePauseCycle) {
    form->Metron->Pause(true);
    EXPECT_FALSE(form->lbPause.isHidden());
    EXPECT_FALSE(form->lbPau1.isHidden());
    EXPECT_FALSE(form->lbPau2.isHidden());
    EXPECT_EQ(form->lbPause.text(), "4");
    form->Metron->PauseSec(5);
    EXPECT_EQ(form->lbPause.text(), "5");
    form->Metron->Pause(false);
    EXPECT_TRUE(form->lbPause.isHidden());
    EXPECT_TRUE(form->lbPau1.isHidden());
    EXPECT_TRUE(form->lbPau2.isHidden());
    EXPECT_EQ(form->lbPause.text(), "5");
}

TEST_F(FormMainTest, AccelerandoLabelGrowsWithTheRate) {
    form->Metron->AccelerandoBegin(3.0);
    EXPECT_FALSE(form->lbAcel.isHidden());
    // sqrt(2 * rate) + 8 points, rounded: 10 points are 13 pixels at 96 dpi.
    EXPECT_EQ(form->lbAcel.font().pixelSize(), 13);
    EXPECT_TRUE(form->lbAcel.font().bold());
    EXPECT_TRUE(QFontInfo(form->lbAcel.font()).fixedPitch());

    const std::pair<double, int> sizes[] = {{0.5, 12}, {4.5, 15}, {8.0, 16}, {50.0, 24}, {400, 24}};
    for (const auto& [rate, pixels] : sizes) {
        form->Metron->AcelValue(rate);
        EXPECT_EQ(form->lbAcel.font().pixelSize(), pixels) << rate;
        EXPECT_FALSE(form->lbAcel.isHidden());
    }
    form->Metron->DisableAccelerando();
    EXPECT_TRUE(form->lbAcel.isHidden());
    // Also hidden, the size follows the rate.
    form->Metron->AcelValue(8.0);
    EXPECT_TRUE(form->lbAcel.isHidden());
    EXPECT_EQ(form->lbAcel.font().pixelSize(), 16);
    // A rate below zero is no accelerando; the label takes the smallest size instead of none.
    form->Metron->AcelValue(-3.0);
    EXPECT_TRUE(form->lbAcel.isHidden());
    EXPECT_EQ(form->lbAcel.font().pixelSize(), 11);
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

TEST_F(FormMainTest, TempoLabelFollowsEveryTempoWrite) {
    form->Metron->BPM(87);
    EXPECT_EQ(form->lbBPM.text(), "87");
    form->Metron->BPM(5000);
    EXPECT_EQ(form->lbBPM.text(), "320");
    form->Metron->BPM(-4);
    EXPECT_EQ(form->lbBPM.text(), "15");
}

TEST_F(FormMainTest, ExportShowsItsProgressAsAPercentage) {
    const auto file = std::filesystem::temp_directory_path() / "pulsara-ui-progress.wav";
    std::filesystem::remove(file);
    form->Metron->Track().Rhithm("8 x'x'x'x'");
    form->Metron->ExportWave(file.string());
    EXPECT_EQ(form->lbProgress.text(), "100%");
    std::filesystem::remove(file);
}

TEST_F(FormMainTest, TempoKeysOffsetsRiseZeroFiveThreeSevenThenZero) {
    EXPECT_EQ(form->TempoPlus(1), 0);
    EXPECT_EQ(form->TempoPlus(2), 5);
    EXPECT_EQ(form->TempoPlus(3), 3);
    EXPECT_EQ(form->TempoPlus(4), 7);
    EXPECT_EQ(form->TempoPlus(5), 0);
    EXPECT_EQ(form->TempoPlus(0), 0);
    EXPECT_EQ(form->TempoPlus(-2), 0);
    EXPECT_EQ(form->TempoPlus(1000), 0);
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

TEST_F(FormMainTest, DestroyingAnOpenWindowStillMutesAndStores) {
    ticks.now += 3000;
    form.reset();
    EXPECT_TRUE(MicrophoneMuted());
    EXPECT_EQ(settings.store.Stored("Time", "TotalTime"), "3");
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

TEST_F(FormMainTest, RepaintingTheWindowRedrawsTheClockFace) {
    ticks.now += 30 * 60 * 1000;
    EXPECT_NE(QColor(form->picClock.Picture().pixel(30, 45)), QColor(Qt::black));
    (void)form->grab();
    EXPECT_EQ(QColor(form->picClock.Picture().pixel(30, 45)), QColor(Qt::black));
}

TEST_F(FormMainTest, ScreenshotAfterAFewBeatsIsWrittenToTheBuildFolder) {
    form->Metron->AccelerandoBegin(3.0);
    form->Metron->Pause(true);
    form->Metron->Track().Rhithm("4 /warm up/ xxxx (xxxx xxxx xxxx xxxx)0");
    SwitchOn();
    for (int beat = 0; beat < 5; ++beat) {
        ASSERT_TRUE(NextBeat());
    }
    ticks.now += 250;
    const QImage shot = form->grab().toImage();
    ASSERT_EQ(shot.size(), QSize(268, 172));
    std::remove(PULSARA_SCREENSHOT);
    ASSERT_TRUE(shot.save(QStringLiteral(PULSARA_SCREENSHOT)));
    EXPECT_TRUE(std::filesystem::exists(PULSARA_SCREENSHOT));

    // The ground, the tempo's dark blue digits and the metronome's yellow.
    EXPECT_EQ(QColor(shot.pixel(150, 96)), FormMain::BackColour);
    int blue = 0;
    int yellow = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c(shot.pixel(x, y));
            blue += QRect(88, 40, 97, 41).contains(x, y) && c.blue() > 150 && c.red() < 100;
            yellow += QRect(192, 24, 64, 64).contains(x, y) && c.red() > 200 && c.green() > 150 &&
                      c.blue() < 120;
        }
    }
    EXPECT_GT(blue, 50);
    EXPECT_GT(yellow, 300);
}

} // namespace
