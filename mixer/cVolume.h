#pragma once

#include "MixerDevice.h"

#include <array>
#include <cstdint>

class Dialogs;

// Named access to the sound card's mixer: volume, bass, treble, pan, fader and mute of six lines,
// the range of each as found when the object was made, and two peak meters. Levels are in the
// card's own units and pass through untouched. The controls are looked up once, at creation;
// every reading and writing then goes to the card at once. When the mixer cannot be opened the
// object says so once and afterwards reads 0 and ignores writes.
class cVolume {
public:
    cVolume(MixerDevice& device, Dialogs& dialogs);
    ~cVolume();
    cVolume(const cVolume&) = delete;
    cVolume& operator=(const cVolume&) = delete;

    int32_t VolumeMin() const;
    int32_t MicMin() const;
    int32_t LineMin() const;
    int32_t CDMin() const;
    int32_t SynMin() const;
    int32_t WaveMin() const;
    int32_t VolBassMin() const;
    int32_t MicBassMin() const;
    int32_t LineBassMin() const;
    int32_t CDBassMin() const;
    int32_t SynBassMin() const;
    int32_t WaveBassMin() const;
    int32_t VolTrebleMin() const;
    int32_t MicTrebleMin() const;
    int32_t LineTrebleMin() const;
    int32_t CDTrebleMin() const;
    int32_t SynTrebleMin() const;
    int32_t WaveTrebleMin() const;
    int32_t VolPanMin() const;
    int32_t MicPanMin() const;
    int32_t LinePanMin() const;
    int32_t CDPanMin() const;
    int32_t SynPanMin() const;
    int32_t WavePanMin() const;
    int32_t VolFadMin() const;
    int32_t MicFaderMin() const;
    int32_t LineFaderMin() const;
    int32_t CDFaderMin() const;
    int32_t SynFaderMin() const;
    int32_t WaveFaderMin() const;

    int32_t VolumeMax() const;
    int32_t MicMax() const;
    int32_t LineMax() const;
    int32_t CDMax() const;
    int32_t SynMax() const;
    int32_t WaveMax() const;
    int32_t VolBassMax() const;
    int32_t MicBassMax() const;
    int32_t LineBassMax() const;
    int32_t CDBassMax() const;
    int32_t SynBassMax() const;
    int32_t WaveBassMax() const;
    int32_t VolTrebleMax() const;
    int32_t MicTrebleMax() const;
    int32_t LineTrebleMax() const;
    int32_t CDTrebleMax() const;
    int32_t SynTrebleMax() const;
    int32_t WaveTrebleMax() const;
    int32_t VolPanMax() const;
    int32_t MicPanMax() const;
    int32_t LinePanMax() const;
    int32_t CDPanMax() const;
    int32_t SynPanMax() const;
    int32_t WavePanMax() const;
    int32_t VolFaderMax() const;
    int32_t MicFaderMax() const;
    int32_t LineFaderMax() const;
    int32_t CDFaderMax() const;
    int32_t SynFaderMax() const;
    int32_t WaveFaderMax() const;

    // Readers ask the card each time, so they are not const.
    int32_t VolumeLevel();
    int32_t MicLevel();
    int32_t LineLevel();
    int32_t CDLevel();
    int32_t SynLevel();
    int32_t WaveLevel();
    int32_t VolumeLevelBass();
    int32_t MicLevelBass();
    int32_t LineLevelBass();
    int32_t CDLevelBass();
    int32_t SynLevelBass();
    int32_t WaveLevelBass();
    int32_t VolumeLevelTreble();
    int32_t MicLevelTreble();
    int32_t LineLevelTreble();
    int32_t CDLevelTreble();
    int32_t SynLevelTreble();
    int32_t WaveLevelTreble();
    int32_t VolumeLevelPan();
    int32_t MicLevelPan();
    int32_t LineLevelPan();
    int32_t CDLevelPan();
    int32_t SynLevelPan();
    int32_t WaveLevelPan();
    int32_t VolumeLevelFader();
    int32_t MicLevelFader();
    int32_t LineLevelFader();
    int32_t CDLevelFader();
    int32_t SynLevelFader();
    int32_t WaveLevelFader();

    void VolumeLevel(int32_t New_Volume);
    void MicLevel(int32_t New_Volume);
    void LineLevel(int32_t New_Volume);
    void CDLevel(int32_t New_Volume);
    void SynLevel(int32_t New_Volume);
    void WaveLevel(int32_t New_Volume);
    void VolumeLevelBass(int32_t New_Bass);
    void MicLevelBass(int32_t New_Bass);
    void LineLevelBass(int32_t New_Bass);
    void CDLevelBass(int32_t New_Bass);
    void SynLevelBass(int32_t New_Bass);
    void WaveLevelBass(int32_t New_Bass);
    void VolumeLevelTreble(int32_t New_Treble);
    void MicLevelTreble(int32_t New_Treble);
    void LineLevelTreble(int32_t New_Treble);
    void CDLevelTreble(int32_t New_Treble);
    void SynLevelTreble(int32_t New_Treble);
    void WaveLevelTreble(int32_t New_Treble);
    void VolumeLevelPan(int32_t New_Pan);
    void MicLevelPan(int32_t New_Pan);
    void LineLevelPan(int32_t New_Pan);
    void CDLevelPan(int32_t New_Pan);
    void SynLevelPan(int32_t New_Pan);
    void WaveLevelPan(int32_t New_Pan);
    void VolumeLevelFader(int32_t New_Fader);
    void MicLevelFader(int32_t New_Fader);
    void LineLevelFader(int32_t New_Fader);
    void CDLevelFader(int32_t New_Fader);
    void SynLevelFader(int32_t New_Fader);
    void WaveLevelFader(int32_t New_Fader);

    bool VolumeMute();
    bool MikrofonMute();
    bool LineMute();
    bool CompactDiscMute();
    bool SynthesizerMute();
    bool WaveMute();

    void VolumeMute(bool New_Mute);
    void MikrofonMute(bool New_Mute);
    void LineMute(bool New_Mute);
    void CompactDiscMute(bool New_Mute);
    void SynthesizerMute(bool New_Mute);
    void WaveMute(bool New_Mute);

    int32_t MinVolumeMeterInput() const;
    int32_t MaxVolumeMeterInput() const;
    int32_t MinVolumeMeterOutput() const;
    int32_t MaxVolumeMeterOutput() const;
    int32_t CurrentVolumeMeterInput();
    int32_t CurrentVolumeMeterOutput();

private:
    // Indexes into the control table, which holds all volume controls first, then all mute
    // controls, and so on, each kind in the line order.
    enum Kind : std::size_t { Volume, Mute, Fader, Bass, Treble, Pan };
    enum Line : std::size_t { Master, Microphone, LineIn, CD, Synthesizer, Wave };
    static constexpr std::size_t KindCount = 6;
    static constexpr std::size_t LineCount = 6;

    static constexpr std::size_t CaptureBufferBytes = 8192;

    bool FindControl(MixerLineType line, MixerControlType type, MixerControl& control);
    const MixerControl& Control(Kind kind, Line line) const;
    int32_t Read(const MixerControl& control);
    void Write(const MixerControl& control, int32_t value);
    int32_t Level(Kind kind, Line line);
    void Level(Kind kind, Line line, int32_t value);
    bool Muted(Line line);
    void Muted(Line line, bool value);
    int32_t Meter(const MixerControl& meter);
    void RequeueDoneBuffers();
    bool StartCapture();
    void StopCapture();
    void ShowCaptureError();

    MixerDevice& device;
    Dialogs& dialogs;
    bool mixerOpen = false;
    std::array<MixerControl, KindCount * LineCount> controls{};
    MixerControl inputMeter;
    MixerControl outputMeter;
    MixerResult lastResult = 0;
    std::array<CaptureBuffer, 2> captureBuffers;
    bool capturing = false;
};
