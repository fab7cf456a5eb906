// The settings store that the beat's thread writes to: it never waits for its backend.
#include "BackgroundSettingsStore.h"

#include "fakes/MemorySettingsStore.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>

namespace {

// A backend whose writes wait until the gate opens (at most half a minute, which a caller that
// waited for it would notice); it says when the first write has begun.
class SlowStore final : public SettingsStore {
public:
    std::string Read(std::string_view, std::string_view, std::string_view) override { return {}; }
    void Write(std::string_view section, std::string_view key, std::string_view value) override {
        if (store.writeCount == 0) {
            started.set_value();
        }
        heldUp = gate.wait_for(std::chrono::seconds(30)) != std::future_status::ready;
        store.Write(section, key, value);
    }
    void Remove(std::string_view section, std::string_view key) override {
        store.Remove(section, key);
    }
    bool WriteFailed() override { return failing; }

    std::promise<void> started;
    std::promise<void> open;
    std::shared_future<void> gate = open.get_future().share();
    bool heldUp = false;
    bool failing = false;
    MemorySettingsStore store;
};

TEST(BackgroundSettingsStoreTest, WritesNeverWaitForTheBackendAndTheNewestValueLands) {
    SlowStore slow;
    int failures = 0;
    BackgroundSettingsStore store(slow, {{{"Rhithm", "sav65"}, "8 xx  "}}, [&] { ++failures; });
    EXPECT_EQ(store.Read("Rhithm", "sav65", ""), "8 xx  ");

    std::future<void> firstWrite = slow.started.get_future();
    store.Write("Time", "TotalTime", "10");
    firstWrite.wait(); // the backend is now busy with it, and stays so until the gate opens
    slow.failing = true;
    store.Write("Time", "TotalTime", "20");
    store.Write("Time", "TotalTime", "30");
    EXPECT_EQ(store.Read("Time", "TotalTime", "0"), "30");

    slow.open.set_value();
    store.Flush();
    EXPECT_FALSE(slow.heldUp) << "the caller waited for the backend";
    EXPECT_EQ(slow.store.Stored("Time", "TotalTime"), "30");
    EXPECT_EQ(slow.store.writeCount, 2) << "a value overtaken while waiting need not be written";
    EXPECT_TRUE(store.WriteFailed());
    store.Write("Time", "TotalTime", "40");
    store.Flush();
    EXPECT_EQ(failures, 1) << "a failing file is reported once";
    slow.failing = false;
    store.Write("Time", "TotalTime", "50");
    store.Flush();
    EXPECT_FALSE(store.WriteFailed()) << "the last write landed";
}

// An update is applied to what the backend holds by the time it is written (another run may have
// written since), and that value is read from then on.
TEST(BackgroundSettingsStoreTest, AnUpdateAppliesToWhatTheBackendHoldsThen) {
    MemorySettingsStore memory;
    memory.Set("Time", "TotalTime", "1000");
    BackgroundSettingsStore store(memory, {{{"Time", "TotalTime"}, "1000"}});
    const auto add = [](int seconds) {
        return [seconds](std::string_view stored) {
            return std::to_string(std::stoi(std::string(stored)) + seconds);
        };
    };
    memory.Set("Time", "TotalTime", "1034"); // another run wrote meanwhile
    EXPECT_EQ(store.Update("Time", "TotalTime", "0", add(33)), "1033");
    store.Flush();
    EXPECT_EQ(memory.Stored("Time", "TotalTime"), "1067");
    EXPECT_EQ(store.Read("Time", "TotalTime", "0"), "1067");
}

// A key taken out is gone at once for the caller and reaches the backend in turn with the writes:
// the newest change of a key wins, whether a value or its removal.
TEST(BackgroundSettingsStoreTest, AKeyTakenOutIsGoneAtOnceAndThenInTheBackend) {
    MemorySettingsStore memory;
    memory.Set("Rhithm", "sav65", "8 xx  ");
    memory.Set("Rhithm", "sav83", "");
    BackgroundSettingsStore store(memory, memory.values);
    EXPECT_EQ(store.Find("Rhithm", "sav83"), "");
    EXPECT_EQ(store.Find("Rhithm", "sav68"), std::nullopt);
    store.Write("Rhithm", "sav65", "4 x  ");
    store.Remove("Rhithm", "sav65");
    EXPECT_EQ(store.Find("Rhithm", "sav65"), std::nullopt);
    EXPECT_EQ(store.Read("Rhithm", "sav65", "absent"), "absent");
    store.Remove("Rhithm", "sav83");
    store.Write("Rhithm", "sav83", "12 xxx  ");
    store.Flush();
    EXPECT_EQ(memory.Stored("Rhithm", "sav65"), std::nullopt);
    EXPECT_EQ(memory.Stored("Rhithm", "sav83"), "12 xxx  ");
}

TEST(BackgroundSettingsStoreTest, ReleaseWritesWhatIsStillWaiting) {
    MemorySettingsStore memory;
    BackgroundSettingsStore(memory, {}).Write("Mixer", "mix/_main", "7");
    EXPECT_EQ(memory.Stored("Mixer", "mix/_main"), "7");
}

} // namespace
