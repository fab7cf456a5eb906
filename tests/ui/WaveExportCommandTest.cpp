#include "WaveExportCommand.h"

#include "fakes/ManualTickSource.h"
#include "fakes/RecordingSoundOutput.h"
#include "fakes/ScriptedDialogs.h"
#include "fakes/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class WaveExportCommandTest : public ::testing::Test {
protected:
    WaveExportCommandTest()
        : metron(ticks, sound)
        , command(metron, dialogs, [this](bool visible) { notices.push_back(visible); }) {
        // No sample files there: the export renders silence of the right length.
        metron.SampleFolder(folder.path);
        metron.BPM(120);
        metron.Track().Rhithm("8 xx xx xx xx");
        metron.Enable(true);
    }
    TempFolder folder;
    ManualTickSource ticks;
    RecordingSoundOutput sound;
    ScriptedDialogs dialogs;
    std::vector<bool> notices;
    CMetronome metron;
    WaveExportCommand command;
};

TEST_F(WaveExportCommandTest, ExportShowsTheNoticeWhileRendering) {
    const fs::path target = folder / "take.wav";
    dialogs.answers.push_back(target.string());
    std::vector<bool> shownDuringRender;
    metron.PendingEvents([&] { shownDuringRender.push_back(notices == std::vector<bool>{true}); });
    command.Run();
    EXPECT_EQ(notices, (std::vector<bool>{true, false}));
    ASSERT_FALSE(shownDuringRender.empty());
    EXPECT_EQ(shownDuringRender, std::vector<bool>(shownDuringRender.size(), true));
    // Eight eighths at 120: 2 s of mono 16-bit sound at 44100 Hz behind a 44-byte header.
    EXPECT_EQ(fs::file_size(target), 44u + 2u * 88200u);
    // Without its sample file the clicks are silent in it, and the player is told so.
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_NE(dialogs.messages[0].text.find("boom.wav"), std::string::npos);
}

// An export stopped because the program ends is tested with the window's close.
TEST_F(WaveExportCommandTest, FailedExportIsReportedAndLeavesNoFile) {
    const fs::path target = folder / "missing-folder" / "take.wav";
    dialogs.answers.push_back(target.string());
    command.Run();
    EXPECT_EQ(notices, (std::vector<bool>{true, false}));
    EXPECT_FALSE(fs::exists(target));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("take.wav"), std::string::npos);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Error);
}

} // namespace
