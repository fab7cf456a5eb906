// Export throughput: renders ten minutes of "16 x'''x'''x'''x'''" at tempo 60 and, in the same run,
// writes the same number of bytes to the same folder with one plain buffered write. Target: the
// export takes at most 1.5 times as long as the plain write, with the percentage still raised
// after every step.
//
// Run: build/bin/pulsara_bench_export [folder] [rounds]
// The folder (default: a fresh one under the system's temporary folder) receives the sample files
// and the outputs, all removed at the end.
#include "CWave.h"
#include "SampleFile.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// One pass of the bar is 4 seconds at tempo 60; 150 passes make ten minutes.
const std::string Rhythm = "16 (x'''x'''x'''x''')150";
constexpr int32_t Tempo = 60;
constexpr int64_t ExpectedFileBytes = 44 + int64_t{600} * 44100 * 2;

void WriteSample(const fs::path& file, int32_t words, double frequency) {
    std::vector<int16_t> sound;
    for (int32_t i = 0; i <= words; ++i) {
        const double decay = std::exp(-4.0 * i / words);
        sound.push_back(static_cast<int16_t>(
            12000.0 * decay * std::sin(2.0 * std::numbers::pi * frequency * i / 44100.0)));
    }
    if (!SampleFile::Write(file, sound)) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        std::exit(1);
    }
}

struct ExportRun {
    double seconds = 0.0;
    bool ok = false;
    int64_t fileBytes = 0;
    int progressEvents = 0;
    int deliveries = 0;
    std::set<int32_t> percents;
};

ExportRun TimeExport(const fs::path& samples, const fs::path& file) {
    ExportRun run;
    CWave wave(samples, [&run] { ++run.deliveries; });
    wave.OnProgress([&run](int32_t& percent) {
        ++run.progressEvents;
        run.percents.insert(percent);
    });
    wave.Track().Rhithm(Rhythm);
    const auto start = Clock::now();
    const WaveOutcome outcome = wave.MakeFile(file.string(), Tempo);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.ok = outcome.Ok();
    if (!run.ok) {
        std::fprintf(stderr, "export failed: %s\n", outcome.Message().c_str());
        return run;
    }
    run.fileBytes = static_cast<int64_t>(fs::file_size(file));
    return run;
}

double TimePlainWrite(const fs::path& file, const std::vector<char>& bytes) {
    const auto start = Clock::now();
    {
        std::ofstream out(file, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

fs::path MakeFolder(int argc, char** argv) {
    fs::path parent = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    std::string pattern = (parent / "pulsara-export-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("cannot make the benchmark's folder");
        std::exit(1);
    }
    return pattern;
}

} // namespace

int main(int argc, char** argv) {
    const fs::path folder = MakeFolder(argc, argv);
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    const fs::path samples = folder / "samples";
    fs::create_directory(samples);
    WriteSample(samples / "boom.wav", 6162, 1000.0);
    WriteSample(samples / "boomi.wav", 821, 2000.0);
    WriteSample(samples / "bassdrum.wav", 26305, 60.0);
    WriteSample(samples / "snare.wav", 27215, 200.0);
    const std::vector<char> plainBytes(static_cast<std::size_t>(ExpectedFileBytes), 1);

    std::vector<double> exportTimes;
    std::vector<double> plainTimes;
    ExportRun last;
    bool allOk = true;
    for (int round = 0; round < rounds; ++round) {
        last = TimeExport(samples, folder / "export.wav");
        allOk = allOk && last.ok && last.fileBytes == ExpectedFileBytes;
        exportTimes.push_back(last.seconds);
        fs::remove(folder / "export.wav");
        plainTimes.push_back(TimePlainWrite(folder / "plain.bin", plainBytes));
        fs::remove(folder / "plain.bin");
    }
    fs::remove_all(folder);

    const double exportMedian = Median(exportTimes);
    const double plainMedian = Median(plainTimes);
    const double megabytes = static_cast<double>(ExpectedFileBytes) / 1e6;
    const double ratio = exportMedian / plainMedian;
    std::printf("export throughput: \"%s\" at %d, %d rounds, folder %s\n", Rhythm.c_str(), Tempo,
                rounds, folder.parent_path().c_str());
    std::printf("  file size                 %lld bytes (%s)\n",
                static_cast<long long>(last.fileBytes), allOk ? "as expected" : "WRONG");
    std::printf("  export       median %.1f ms  min %.1f ms  %.0f MB/s\n", exportMedian * 1e3,
                *std::min_element(exportTimes.begin(), exportTimes.end()) * 1e3,
                megabytes / exportMedian);
    std::printf("  plain write  median %.1f ms  min %.1f ms  %.0f MB/s\n", plainMedian * 1e3,
                *std::min_element(plainTimes.begin(), plainTimes.end()) * 1e3,
                megabytes / plainMedian);
    std::printf("  export / plain write      %.2f (target at most 1.50: %s)\n", ratio,
                ratio <= 1.5 ? "met" : "NOT met");
    std::printf("  progress events           %d, %zu distinct percentages (%d ... %d), %d message "
                "deliveries\n",
                last.progressEvents, last.percents.size(),
                last.percents.empty() ? 0 : *last.percents.begin(),
                last.percents.empty() ? 0 : *last.percents.rbegin(), last.deliveries);
    return allOk ? 0 : 1;
}
