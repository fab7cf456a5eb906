#include "cVolume.h"

#include "fakes/FakeMixerDevice.h"
#include "fakes/ScriptedDialogs.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

using Line = MixerLineType;
using Type = MixerControlType;

const std::vector<Line> Lines = {Line::Master,      Line::Microphone,  Line::LineIn,
                                 Line::CompactDisc, Line::Synthesizer, Line::Wave};

// One level control of the mixer object with everything it is reached by.
struct LevelProperty {
    const char* name;
    Line line;
    Type type;
    int32_t (cVolume::*read)();
    void (cVolume::*write)(int32_t);
    int32_t (cVolume::*minimum)() const;
    int32_t (cVolume::*maximum)() const;
};

// Each row: the property, its line and control, and its bounds' properties.
#define LEVEL(name, line, type, min, max)                                                          \
    { #name, Line::line, Type::type, &cVolume::name, &cVolume::name, &cVolume::min, &cVolume::max }
const std::vector<LevelProperty> LevelProperties = {
    LEVEL(VolumeLevel, Master, Volume, VolumeMin, VolumeMax),
    LEVEL(MicLevel, Microphone, Volume, MicMin, MicMax),
    LEVEL(LineLevel, LineIn, Volume, LineMin, LineMax),
    LEVEL(CDLevel, CompactDisc, Volume, CDMin, CDMax),
    LEVEL(SynLevel, Synthesizer, Volume, SynMin, SynMax),
    LEVEL(WaveLevel, Wave, Volume, WaveMin, WaveMax),
    LEVEL(VolumeLevelBass, Master, Bass, VolBassMin, VolBassMax),
    LEVEL(MicLevelBass, Microphone, Bass, MicBassMin, MicBassMax),
    LEVEL(LineLevelBass, LineIn, Bass, LineBassMin, LineBassMax),
    LEVEL(CDLevelBass, CompactDisc, Bass, CDBassMin, CDBassMax),
    LEVEL(SynLevelBass, Synthesizer, Bass, SynBassMin, SynBassMax),
    LEVEL(WaveLevelBass, Wave, Bass, WaveBassMin, WaveBassMax),
    LEVEL(VolumeLevelTreble, Master, Treble, VolTrebleMin, VolTrebleMax),
    LEVEL(MicLevelTreble, Microphone, Treble, MicTrebleMin, MicTrebleMax),
    LEVEL(LineLevelTreble, LineIn, Treble, LineTrebleMin, LineTrebleMax),
    LEVEL(CDLevelTreble, CompactDisc, Treble, CDTrebleMin, CDTrebleMax),
    LEVEL(SynLevelTreble, Synthesizer, Treble, SynTrebleMin, SynTrebleMax),
    LEVEL(WaveLevelTreble, Wave, Treble, WaveTrebleMin, WaveTrebleMax),
    LEVEL(VolumeLevelPan, Master, Pan, VolPanMin, VolPanMax),
    LEVEL(MicLevelPan, Microphone, Pan, MicPanMin, MicPanMax),
    LEVEL(LineLevelPan, LineIn, Pan, LinePanMin, LinePanMax),
    LEVEL(CDLevelPan, CompactDisc, Pan, CDPanMin, CDPanMax),
    LEVEL(SynLevelPan, Synthesizer, Pan, SynPanMin, SynPanMax),
    LEVEL(WaveLevelPan, Wave, Pan, WavePanMin, WavePanMax),
    LEVEL(VolumeLevelFader, Master, Fader, VolFadMin, VolFaderMax),
    LEVEL(MicLevelFader, Microphone, Fader, MicFaderMin, MicFaderMax),
    LEVEL(LineLevelFader, LineIn, Fader, LineFaderMin, LineFaderMax),
    LEVEL(CDLevelFader, CompactDisc, Fader, CDFaderMin, CDFaderMax),
    LEVEL(SynLevelFader, Synthesizer, Fader, SynFaderMin, SynFaderMax),
    LEVEL(WaveLevelFader, Wave, Fader, WaveFaderMin, WaveFaderMax),
};
#undef LEVEL

struct MuteProperty {
    const char* name;
    Line line;
    bool (cVolume::*read)();
    void (cVolume::*write)(bool);
};

#define MUTE(name, line)                                                                           \
    { #name, Line::line, &cVolume::name, &cVolume::name }
const std::vector<MuteProperty> MuteProperties = {
    MUTE(VolumeMute, Master),           MUTE(MikrofonMute, Microphone),     MUTE(LineMute, LineIn),
    MUTE(CompactDiscMute, CompactDisc), MUTE(SynthesizerMute, Synthesizer), MUTE(WaveMute, Wave),
};
#undef MUTE

// A card with every control, each with bounds and a value of its own, so that a property reaching
// the wrong control shows.
void AddFullCard(FakeMixerDevice& card) {
    int32_t n = 1;
    for (Type type : {Type::Volume, Type::Mute, Type::Fader, Type::Bass, Type::Treble, Type::Pan}) {
        for (Line line : Lines) {
            card.AddControl(line, type, -n, 1000 * n, 10 * n);
            ++n;
        }
    }
    card.AddControl(Line::WaveIn, Type::PeakMeter, -32768, 32767, 0);
    card.AddControl(Line::Wave, Type::PeakMeter, -32767, 32766, 0);
}

std::vector<std::string> CallsStartingWith(const FakeMixerDevice& card, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& call : card.calls) {
        if (call.rfind(prefix, 0) == 0) {
            found.push_back(call);
        }
    }
    return found;
}

class cVolumeTest : public testing::Test {
protected:
    FakeMixerDevice card;
    ScriptedDialogs dialogs;
};

TEST_F(cVolumeTest, InputMeterFallsBackToTheMicrophoneLine) {
    card.AddControl(Line::Microphone, Type::PeakMeter, -100, 100, -42);
    cVolume volume(card, dialogs);

    const auto meterLookups = CallsStartingWith(card, "FindLine ");
    ASSERT_GE(meterLookups.size(), 3u);
    EXPECT_EQ(
        std::vector<std::string>(meterLookups.end() - 3, meterLookups.end()),
        (std::vector<std::string>{"FindLine WaveIn", "FindLine Microphone", "FindLine Wave"}));
    EXPECT_EQ(volume.MinVolumeMeterInput(), -100);
    EXPECT_EQ(volume.MaxVolumeMeterInput(), 100);
    EXPECT_EQ(volume.CurrentVolumeMeterInput(), 42);
}

TEST_F(cVolumeTest, EveryLevelPropertyReachesItsOwnControl) {
    AddFullCard(card);
    cVolume volume(card, dialogs);

    for (const LevelProperty& p : LevelProperties) {
        SCOPED_TRACE(p.name);
        const FakeMixerDevice::Control& control = *card.Find(p.line, p.type);
        EXPECT_EQ((volume.*p.minimum)(), control.description.minimum);
        EXPECT_EQ((volume.*p.maximum)(), control.description.maximum);
        EXPECT_EQ((volume.*p.read)(), control.value);

        const auto before = card.controls;
        (volume.*p.write)(control.value + 7);
        for (std::size_t i = 0; i < card.controls.size(); ++i) {
            const bool target = card.controls[i].description == control.description;
            EXPECT_EQ(card.controls[i].value, before[i].value + (target ? 7 : 0));
        }
    }
}

TEST_F(cVolumeTest, MuteIsTrueExactlyWhenTheControlHoldsOne) {
    AddFullCard(card);
    cVolume volume(card, dialogs);

    for (const MuteProperty& p : MuteProperties) {
        SCOPED_TRACE(p.name);
        int32_t& value = card.Value(p.line, Type::Mute);
        for (int32_t raw : {1, 0, 2, -1, 65535}) {
            value = raw;
            EXPECT_EQ((volume.*p.read)(), raw == 1) << raw;
        }
        value = 5;
        (volume.*p.write)(true);
        EXPECT_EQ(value, 1);
        (volume.*p.write)(false);
        EXPECT_EQ(value, 0);
    }
}

TEST_F(cVolumeTest, AMissingControlReadsZeroAndNeverReachesAnotherControl) {
    // Master volume is control 0 - the identifier an empty description carries.
    card.AddControl(Line::Master, Type::Volume, 0, 65535, 40000);
    card.AddControl(Line::Microphone, Type::Mute, 0, 1, 1);
    cVolume volume(card, dialogs);
    card.calls.clear();

    EXPECT_EQ(volume.LineLevel(), 0);
    EXPECT_EQ(volume.LineMax(), 0);
    EXPECT_FALSE(volume.VolumeMute());
    volume.LineLevel(123);
    volume.WaveMute(true);
    volume.VolumeLevelPan(-50);

    EXPECT_EQ(card.Value(Line::Master, Type::Volume), 40000);
    EXPECT_EQ(card.Value(Line::Microphone, Type::Mute), 1);
    EXPECT_TRUE(card.calls.empty());
}

TEST_F(cVolumeTest, ARefusedCallReadsZeroAndIsNotReported) {
    card.AddControl(Line::Master, Type::Volume, 0, 65535, 40000);
    card.AddControl(Line::Wave, Type::Volume, 0, 65535, 20000);
    card.refusedControlId = 1;
    cVolume volume(card, dialogs);

    EXPECT_EQ(volume.WaveLevel(), 0);
    volume.WaveLevel(100);
    EXPECT_EQ(card.Value(Line::Wave, Type::Volume), 20000);
    EXPECT_EQ(volume.VolumeLevel(), 40000);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(cVolumeTest, MetersReadAbsoluteValues) {
    AddFullCard(card);
    cVolume volume(card, dialogs);
    int32_t& input = card.Value(Line::WaveIn, Type::PeakMeter);
    int32_t& output = card.Value(Line::Wave, Type::PeakMeter);

    EXPECT_EQ(volume.MinVolumeMeterInput(), -32768);
    EXPECT_EQ(volume.MaxVolumeMeterInput(), 32767);
    EXPECT_EQ(volume.MinVolumeMeterOutput(), -32767);
    EXPECT_EQ(volume.MaxVolumeMeterOutput(), 32766);
    input = -12000;
    EXPECT_EQ(volume.CurrentVolumeMeterInput(), 12000);
    input = 900;
    EXPECT_EQ(volume.CurrentVolumeMeterInput(), 900);
    output = -7;
    EXPECT_EQ(volume.CurrentVolumeMeterOutput(), 7);
    // The one reading without a positive twin must not overflow.
    output = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(volume.CurrentVolumeMeterOutput(), std::numeric_limits<int32_t>::max());
}

TEST_F(cVolumeTest, ReleaseClosesTheMixerAndStopsRecording) {
    AddFullCard(card);
    {
        cVolume volume(card, dialogs);
        volume.CurrentVolumeMeterInput();
        card.calls.clear();
    }
    EXPECT_EQ(card.calls,
              (std::vector<std::string>{"Close", "ResetCapture", "StopCapture", "Unprepare 8192",
                                        "Unprepare 8192", "CloseCapture"}));
    EXPECT_TRUE(card.lent.empty());
}

TEST_F(cVolumeTest, RecorderThatCannotOpenIsReportedTwicePerReading) {
    AddFullCard(card);
    card.Value(Line::WaveIn, Type::PeakMeter) = -300;
    card.openCaptureResult = -16;
    cVolume volume(card, dialogs);

    EXPECT_EQ(volume.CurrentVolumeMeterInput(), 300);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    for (const auto& message : dialogs.messages) {
        EXPECT_EQ(message.text, "recorder error -16");
        EXPECT_EQ(message.title, "Pulsara - Mixercontrol Fehler");
        EXPECT_EQ(message.icon, MessageIcon::Error);
    }
    EXPECT_TRUE(CallsStartingWith(card, "Prepare").empty());

    // Once the recorder opens, the next reading starts it.
    card.openCaptureResult = 0;
    volume.CurrentVolumeMeterInput();
    EXPECT_EQ(CallsStartingWith(card, "StartCapture").size(), 1u);
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(cVolumeTest, WithoutAMixerTheObjectSaysSoOnceAndThenDoesNothing) {
    AddFullCard(card);
    card.openResult = -19;
    {
        cVolume volume(card, dialogs);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "Mixer could not be open");
        EXPECT_EQ(dialogs.messages[0].title, "Pulsara - Mixercontrol Error");
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);

        for (const LevelProperty& p : LevelProperties) {
            SCOPED_TRACE(p.name);
            EXPECT_EQ((volume.*p.read)(), 0);
            EXPECT_EQ((volume.*p.minimum)(), 0);
            EXPECT_EQ((volume.*p.maximum)(), 0);
            (volume.*p.write)(4096);
        }
        for (const MuteProperty& p : MuteProperties) {
            SCOPED_TRACE(p.name);
            (volume.*p.write)(true);
            EXPECT_FALSE((volume.*p.read)());
        }
        EXPECT_EQ(volume.CurrentVolumeMeterInput(), 0);
        EXPECT_EQ(volume.CurrentVolumeMeterOutput(), 0);
        EXPECT_EQ(volume.MaxVolumeMeterInput(), 0);
    }
    EXPECT_EQ(card.calls, (std::vector<std::string>{"Open"}));
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

} // namespace
