// AVI recording throughput: 752 x 480 rendered frames appended through the
// AVI writer, against the limit of the same folder in the same run, a plain
// sequential write() of the same bytes. Prints the ratio at the end.
//
// The folder is $ORBICAP_BENCH_DIR, else the system's temporary folder. Each
// benchmark writes one file of at most kFramesPerFile frames and starts a new
// file after that, so the disk use stays bounded.

#include "capture/ImageList.h"
#include "recording/AviWriter.h"
#include "recording/RenderFrame.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace orbicap;

constexpr int kWidth = 752;
constexpr int kHeight = 480;
constexpr int kFramesPerFile = 500;

std::filesystem::path BenchDir() {
    const char* dir = std::getenv("ORBICAP_BENCH_DIR");
    return dir != nullptr ? std::filesystem::path(dir) : std::filesystem::temp_directory_path();
}

// One rendered mono frame, as the recorder hands it to the AVI writer.
const RenderBitmap& RenderedFrame() {
    static const RenderBitmap picture = [] {
        ImageLst frame;
        frame.Reshape(kWidth, kHeight, false);
        for (int k = 0; k < kWidth * kHeight; ++k)
            frame.Data[k] = static_cast<std::uint8_t>(k * 7 + k / kWidth);
        RenderBitmap out;
        RenderFrame(frame, false, CMOSDLL32{}, out, false, OverlayStyle{});
        return out;
    }();
    return picture;
}

std::int64_t RecorderByteCount(const RenderBitmap& b) {
    return 3LL * (b.Width - 1) * (b.Height - 1);
}

void BM_AviWriter(benchmark::State& state) {
    const RenderBitmap& picture = RenderedFrame();
    const std::string name = (BenchDir() / "orbicap-bench.AVI").string();
    AviWriter writer;
    if (const Status opened = writer.OpenAviFile(name, picture.Width, picture.Height);
        opened.Failed()) {
        state.SkipWithError(opened.Message().c_str());
        return;
    }
    int inFile = 0;
    for (auto _ : state) {
        if (inFile == kFramesPerFile) {
            state.PauseTiming();
            static_cast<void>(writer.CloseAviFile());
            static_cast<void>(writer.OpenAviFile(name, picture.Width, picture.Height));
            inFile = 0;
            state.ResumeTiming();
        }
        if (const Status written = writer.WriteAviFrame(picture.Bits.data(), picture.Width,
                                                        picture.Height, RecorderByteCount(picture));
            written.Failed()) {
            state.SkipWithError(written.Message().c_str());
            break;
        }
        ++inFile;
    }
    if (const Status closed = writer.CloseAviFile(); closed.Failed())
        state.SkipWithError(closed.Message().c_str());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(picture.Bits.size()));
    std::filesystem::remove(writer.PartName(1));
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void BM_PlainWrite(benchmark::State& state) {
    const RenderBitmap& picture = RenderedFrame();
    const std::string name = (BenchDir() / "orbicap-bench.raw").string();
    auto open = [&] { return ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644); };
    int fd = open();
    if (fd < 0) {
        state.SkipWithError("cannot create the plain file");
        return;
    }
    int inFile = 0;
    for (auto _ : state) {
        if (inFile == kFramesPerFile) {
            state.PauseTiming();
            ::close(fd);
            fd = open();
            inFile = 0;
            state.ResumeTiming();
        }
        if (!WriteAll(fd, picture.Bits.data(), picture.Bits.size())) {
            state.SkipWithError("plain write failed");
            break;
        }
        ++inFile;
    }
    ::close(fd);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(picture.Bits.size()));
    std::filesystem::remove(name);
}

// Rendering one 8-bit mono frame for the AVI stream, against a copy of the
// rendered bytes.
ImageLst& SourceFrame() {
    static ImageLst frame = [] {
        ImageLst f;
        f.Reshape(kWidth, kHeight, false);
        for (int k = 0; k < kWidth * kHeight; ++k)
            f.Data[k] = static_cast<std::uint8_t>(k * 7 + k / kWidth);
        return f;
    }();
    return frame;
}

void BM_RenderMono8(benchmark::State& state) {
    RenderBitmap out;
    for (auto _ : state) {
        RenderFrame(SourceFrame(), false, CMOSDLL32{}, out, false, OverlayStyle{});
        benchmark::DoNotOptimize(out.Bits.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(out.Bits.size()));
}

void BM_CopyRendered(benchmark::State& state) {
    const RenderBitmap& picture = RenderedFrame();
    std::vector<std::uint8_t> copy(picture.Bits.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), picture.Bits.data(), copy.size());
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(copy.size()));
}

BENCHMARK(BM_RenderMono8)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyRendered)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_AviWriter)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// Console output plus the ratio of the AVI writer's throughput to the plain
// write's, both measured in this run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto it = run.counters.find("bytes_per_second");
            if (!run.error_occurred && it != run.counters.end())
                rates_[run.run_name.function_name] = it->second.value;
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (rates_.count("BM_AviWriter") != 0 && rates_.count("BM_PlainWrite") != 0 &&
            rates_["BM_PlainWrite"] > 0)
            std::printf("AVI writer / plain write throughput: %.3f (%.0f / %.0f MB/s)\n",
                        rates_["BM_AviWriter"] / rates_["BM_PlainWrite"],
                        rates_["BM_AviWriter"] / 1e6, rates_["BM_PlainWrite"] / 1e6);
    }

private:
    std::map<std::string, double> rates_;
};

} // namespace

int main(int argc, char** argv) {
    // The renderer's overlay path needs Qt's font machinery; offscreen is enough.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
