// Recording throughput of the SER and FITS writers against the limit of the
// same folder in the same run: a plain sequential write() of the same bytes
// in the same pieces. Prints each writer's share of that limit at the end.
//
// Run with --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
// on a busy machine: the medians are then compared.
//
// SER: 752 x 480 8-bit frames appended to one file. FITS: one 16-bit
// 752 x 480 mono file per frame. The folder is $ORBICAP_BENCH_DIR, else the
// system's temporary folder; SER files start afresh every kFramesPerFile
// frames and FITS names cycle, so the disk use stays bounded.

#include "capture/ImageList.h"
#include "recording/Fits.h"
#include "recording/SER.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace orbicap;

constexpr int kWidth = 752;
constexpr int kHeight = 480;
constexpr std::size_t kFrameBytes8 = kWidth * kHeight;
constexpr int kFramesPerFile = 300;
constexpr int kFitsNames = 32;
constexpr std::size_t kFitsFileBytes = 725'760; // 2880 header + 721,920 data + 960 fill

std::filesystem::path BenchDir() {
    const char* dir = std::getenv("ORBICAP_BENCH_DIR");
    return dir != nullptr ? std::filesystem::path(dir) : std::filesystem::temp_directory_path();
}

std::string BenchFile(const std::string& name) {
    return (BenchDir() / name).string();
}

const std::vector<std::uint8_t>& FramePixels() {
    static const std::vector<std::uint8_t> pixels = [] {
        std::vector<std::uint8_t> p(2 * kFrameBytes8);
        for (std::size_t i = 0; i < p.size(); ++i) {
            p[i] = static_cast<std::uint8_t>(i * 7 + i / 1504);
        }
        return p;
    }();
    return pixels;
}

// Each benchmark starts with no dirty pages left by the one before, so the
// kernel's write-back of earlier runs is not charged to it.
void StartClean() {
    ::sync();
}

// The baseline: open, write() the pieces in order, close, nothing else.
int PlainCreate(const std::string& path) {
    return ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0644);
}

bool PlainWrite(int fd, const std::uint8_t* data, std::size_t n) {
    while (n > 0) {
        const ssize_t done = ::write(fd, data, n);
        if (done <= 0) {
            return false;
        }
        data += done;
        n -= static_cast<std::size_t>(done);
    }
    return true;
}

void BM_SerAppend(benchmark::State& state) {
    StartClean();
    const std::string path = BenchFile("orbicap-bench.SER");
    const std::uint8_t* pixels = FramePixels().data();
    SerWriter writer(SerClock{36526.0, 0});
    int inFile = 0;
    static_cast<void>(writer.CreateSerFile(path, kWidth, kHeight, 8));
    for (auto _ : state) {
        if (inFile == kFramesPerFile) {
            static_cast<void>(writer.CloseSerFile());
            static_cast<void>(writer.CreateSerFile(path, kWidth, kHeight, 8));
            inFile = 0;
        }
        if (const Status added = writer.AddSerFrame(pixels, kFrameBytes8, 36526.5);
            added.Failed()) {
            state.SkipWithError(added.Message().c_str());
            break;
        }
        ++inFile;
    }
    static_cast<void>(writer.CloseSerFile());
    std::remove(path.c_str());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kFrameBytes8));
}

void BM_PlainSerBytes(benchmark::State& state) {
    StartClean();
    const std::string path = BenchFile("orbicap-bench-plain.SER");
    const std::uint8_t* pixels = FramePixels().data();
    std::uint8_t header[SerWriter::kHeaderBytes] = {};
    int inFile = 0;
    int fd = PlainCreate(path);
    PlainWrite(fd, header, sizeof header);
    for (auto _ : state) {
        if (inFile == kFramesPerFile) {
            ::close(fd);
            fd = PlainCreate(path);
            PlainWrite(fd, header, sizeof header);
            inFile = 0;
        }
        if (!PlainWrite(fd, pixels, kFrameBytes8)) {
            state.SkipWithError("plain write failed");
            break;
        }
        ++inFile;
    }
    ::close(fd);
    std::remove(path.c_str());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kFrameBytes8));
}

void BM_Fits16PerFrame(benchmark::State& state) {
    StartClean();
    ImageLst frame;
    frame.Reshape(kWidth, kHeight, true);
    std::memcpy(frame.Data.get(), FramePixels().data(), frame.ByteCount());
    const auto fitsBuffer = std::make_unique<std::uint8_t[]>(kFitsBufferBytes);
    std::vector<std::string> names;
    for (int i = 0; i < kFitsNames; ++i) {
        names.push_back(BenchFile("orbicap-bench-" + std::to_string(i) + ".FIT"));
    }
    std::size_t next = 0;
    for (auto _ : state) {
        if (const Status written = WriteFitsFile(names[next], frame, false, fitsBuffer.get());
            written.Failed()) {
            state.SkipWithError(written.Message().c_str());
            break;
        }
        next = (next + 1) % names.size();
    }
    for (const std::string& name : names) {
        std::remove(name.c_str());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kFitsFileBytes));
}

void BM_PlainFitsFiles(benchmark::State& state) {
    StartClean();
    static std::vector<std::uint8_t> bytes(kFitsFileBytes);
    std::memcpy(bytes.data() + 2880, FramePixels().data(), 2 * kFrameBytes8);
    std::vector<std::string> names;
    for (int i = 0; i < kFitsNames; ++i) {
        names.push_back(BenchFile("orbicap-bench-plain-" + std::to_string(i) + ".FIT"));
    }
    std::size_t next = 0;
    for (auto _ : state) {
        const int fd = PlainCreate(names[next]);
        const bool ok = fd >= 0 && PlainWrite(fd, bytes.data(), bytes.size());
        if (fd >= 0) {
            ::close(fd);
        }
        if (!ok) {
            state.SkipWithError("plain write failed");
            break;
        }
        next = (next + 1) % names.size();
    }
    for (const std::string& name : names) {
        std::remove(name.c_str());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kFitsFileBytes));
}

BENCHMARK(BM_SerAppend)->UseRealTime();
BENCHMARK(BM_PlainSerBytes)->UseRealTime();
BENCHMARK(BM_Fits16PerFrame)->UseRealTime();
BENCHMARK(BM_PlainFitsFiles)->UseRealTime();

// Keeps each run's bytes per second so main can print the ratios.
class RateReporter : public benchmark::ConsoleReporter {
public:
    RateReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto found = run.counters.find("bytes_per_second");
            if (found != run.counters.end() && !run.error_occurred) {
                rates[run.benchmark_name()] = found->second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> rates;
};

void PrintRatio(const RateReporter& reporter, const char* label, const std::string& writer,
                const std::string& plain) {
    // With --benchmark_repetitions the medians are compared.
    auto w = reporter.rates.find(writer + "_median");
    auto p = reporter.rates.find(plain + "_median");
    if (w == reporter.rates.end() || p == reporter.rates.end()) {
        w = reporter.rates.find(writer);
        p = reporter.rates.find(plain);
    }
    if (w == reporter.rates.end() || p == reporter.rates.end() || p->second <= 0) {
        return;
    }
    std::printf("%s: %.1f MB/s vs plain write %.1f MB/s, ratio %.3f\n", label, w->second / 1e6,
                p->second / 1e6, w->second / p->second);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    std::printf("folder: %s\n", BenchDir().string().c_str());
    RateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatio(reporter, "SER append 752x480x8", "BM_SerAppend/real_time",
               "BM_PlainSerBytes/real_time");
    PrintRatio(reporter, "FITS 16-bit file per frame", "BM_Fits16PerFrame/real_time",
               "BM_PlainFitsFiles/real_time");
    benchmark::Shutdown();
    return 0;
}
