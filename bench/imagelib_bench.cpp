// Speed of the image library against the reference programs on the same
// files: the JPEG import against libjpeg-turbo's djpeg, the reduction to the
// memory ceiling against ImageMagick's convert -resize. Each of our times is
// printed as a ratio to the reference at the end of the run.
//
// The test pictures are generated at start: a 6000 x 4000 photo-like picture
// (smooth gradients, noise, hard edges) written as PPM and as JPEG at quality
// 90 into a temporary folder that is removed afterwards.
//
// Reference times are wall-clock times of one run of the program, including
// its start and reading its input. For ImageMagick the time of the resize
// alone is taken as (convert in.ppm -resize WxH! out.ppm) minus
// (convert in.ppm out.ppm), so reading and writing the PPM cancel out.

#include "uImport.h"
#include "uLeonardo.h"

#include <benchmark/benchmark.h>

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
// The memory ceiling's reduction of a 6000 x 4000 24-bit picture.
constexpr int kCeilW = 2757;
constexpr int kCeilH = 1838;

struct TFiles {
    fs::path dir;
    fs::path ppm, jpeg;
    std::vector<std::uint8_t> jpegBytes;
    std::vector<std::uint8_t> turnedBytes; // the same with EXIF orientation 6
    TDib full;                             // the decoded picture
    TDib reduced;                          // the same at the ceiling size
    ~TFiles() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

std::vector<std::uint8_t> PhotoLike(int w, int h) {
    std::vector<std::uint8_t> rgb(std::size_t(w) * h * 3);
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> noise(-6, 6);
    for (int y = 0; y < h; ++y) {
        const double fy = double(y) / h;
        const double sy = std::sin(fy * 9.0);
        for (int x = 0; x < w; ++x) {
            const double fx = double(x) / w;
            int r = int(40 + 170 * fx + 30 * sy);
            int g = int(60 + 120 * fy + 40 * std::cos(fx * 7.0 + fy * 3.0));
            int b = int(200 - 150 * fx * fy);
            const double dx = fx - 0.3, dy = fy - 0.6;
            if (dx * dx + dy * dy < 0.02) {
                r /= 3;
                g /= 3;
                b /= 2;
            }
            if ((x / 97 + y / 89) % 7 == 0) { // a scatter of bright tiles
                r = 235;
                g = 230;
                b = 215;
            }
            std::uint8_t* p = rgb.data() + (std::size_t(y) * w + x) * 3;
            p[0] = std::uint8_t(std::clamp(r + noise(rng), 0, 255));
            p[1] = std::uint8_t(std::clamp(g + noise(rng), 0, 255));
            p[2] = std::uint8_t(std::clamp(b + noise(rng), 0, 255));
        }
    }
    return rgb;
}

std::vector<std::uint8_t> EncodeJpeg(const std::vector<std::uint8_t>& rgb, int w, int h) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = JDIMENSION(w);
    cinfo.image_height = JDIMENSION(h);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + std::size_t(cinfo.next_scanline) * w * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<std::uint8_t> bytes(out, out + outSize);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return bytes;
}

// The JPEG with an APP1 "Exif" block saying "first row on the right, first
// column at the top", as a camera held upright writes it.
std::vector<std::uint8_t> WithOrientation6(const std::vector<std::uint8_t>& jpeg) {
    static const std::uint8_t kSegment[] = {
        0xFF, 0xE1, 0,    34,   'E', 'x', 'i', 'f', 0, 0,             // APP1, length 34
        'I',  'I',  42,   0,    8,   0,   0,   0,                     // little-endian, IFD0 at 8
        1,    0,    0x12, 0x01, 3,   0,   1,   0,   0, 0, 6, 0, 0, 0, // orientation 6
        0,    0,    0,    0};                                         // no further IFD
    static_assert(sizeof kSegment == 2 + 34);
    std::vector<std::uint8_t> out(jpeg.size() + sizeof kSegment);
    std::memcpy(out.data(), jpeg.data(), 2);
    std::memcpy(out.data() + 2, kSegment, sizeof kSegment);
    std::memcpy(out.data() + 2 + sizeof kSegment, jpeg.data() + 2, jpeg.size() - 2);
    return out;
}

TFiles& Files() {
    static const std::unique_ptr<TFiles> files = [] {
        auto owner = std::make_unique<TFiles>();
        TFiles& f = *owner;
        f.dir =
            fs::temp_directory_path() / ("velamor-bench-" + std::to_string(std::random_device{}()));
        fs::create_directories(f.dir);
        const auto rgb = PhotoLike(kWidth, kHeight);
        f.ppm = f.dir / "photo.ppm";
        {
            std::ofstream out(f.ppm, std::ios::binary);
            out << "P6\n" << kWidth << " " << kHeight << "\n255\n";
            out.write(reinterpret_cast<const char*>(rgb.data()), std::streamsize(rgb.size()));
        }
        f.jpegBytes = EncodeJpeg(rgb, kWidth, kHeight);
        f.jpeg = f.dir / "photo.jpg";
        std::ofstream(f.jpeg, std::ios::binary)
            .write(reinterpret_cast<const char*>(f.jpegBytes.data()),
                   std::streamsize(f.jpegBytes.size()));
        f.turnedBytes = WithOrientation6(f.jpegBytes);
        TImportParams p;
        if (ipImportMemory(f.jpegBytes.data(), f.jpegBytes.size(), p) == ieOk)
            f.full = std::move(p.Dib);
        f.reduced = StretchDIB(f.full, kCeilW, kCeilH);
        return owner;
    }();
    return *files;
}

// Runs a shell command; skips the benchmark when it fails.
bool Shell(benchmark::State& state, const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        state.SkipWithError(("failed: " + command).c_str());
        return false;
    }
    return true;
}

std::string Quote(const fs::path& p) {
    std::string q;
    q += '"';
    q += p.string();
    q += '"';
    return q;
}

void BM_ImportJpeg(benchmark::State& state) {
    // the whole import from memory: recognising the format, then the decoder
    TFiles& f = Files();
    for (auto _ : state) {
        TImportParams p;
        if (ipImportMemory(f.jpegBytes.data(), f.jpegBytes.size(), p) != ieOk) {
            state.SkipWithError("import failed");
            break;
        }
        benchmark::DoNotOptimize(p.Dib.Data());
    }
}

void BM_ImportJpegTurned(benchmark::State& state) {
    // a camera picture held upright: turned while decoding
    TFiles& f = Files();
    for (auto _ : state) {
        TImportParams p;
        if (ipImportMemory(f.turnedBytes.data(), f.turnedBytes.size(), p) != ieOk ||
            p.Dib.Width() != kHeight) {
            state.SkipWithError("import failed");
            break;
        }
        benchmark::DoNotOptimize(p.Dib.Data());
    }
}

void BM_Djpeg(benchmark::State& state) {
    TFiles& f = Files();
    // PPM out (no whole-picture buffer, unlike -bmp); -bmp is timed below
    const std::string cmd = std::string(VELAMOR_DJPEG) + " -outfile /dev/null " + Quote(f.jpeg);
    for (auto _ : state)
        if (!Shell(state, cmd))
            break;
}

void BM_DjpegBmp(benchmark::State& state) {
    TFiles& f = Files();
    const std::string cmd =
        std::string(VELAMOR_DJPEG) + " -bmp -outfile /dev/null " + Quote(f.jpeg);
    for (auto _ : state)
        if (!Shell(state, cmd))
            break;
}

void BM_ReduceToCeiling(benchmark::State& state) {
    TFiles& f = Files();
    for (auto _ : state) {
        TDib out = StretchDIB(f.full, kCeilW, kCeilH);
        benchmark::DoNotOptimize(out.Data());
    }
}

void BM_ConvertResize(benchmark::State& state) {
    TFiles& f = Files();
    const std::string cmd = std::string(VELAMOR_MAGICK_CONVERT) + " " + Quote(f.ppm) + " -resize " +
                            std::to_string(kCeilW) + "x" + std::to_string(kCeilH) + "! " +
                            Quote(f.dir / "resized.ppm");
    for (auto _ : state)
        if (!Shell(state, cmd))
            break;
}

void BM_ConvertCopy(benchmark::State& state) {
    TFiles& f = Files();
    const std::string cmd =
        std::string(VELAMOR_MAGICK_CONVERT) + " " + Quote(f.ppm) + " " + Quote(f.dir / "copy.ppm");
    for (auto _ : state)
        if (!Shell(state, cmd))
            break;
}

void BM_StretchTo80x80(benchmark::State& state) {
    TFiles& f = Files();
    const TDib& src = state.range(0) ? f.full : f.reduced;
    for (auto _ : state) {
        TDib out = StretchDIB(src, 80, 80);
        benchmark::DoNotOptimize(out.Data());
    }
}

void BM_ThumbnailRoute(benchmark::State& state) {
    // twice the thumbnail size first, then the anti-aliased reduction
    TFiles& f = Files();
    for (auto _ : state) {
        TDib twice = StretchDIB(f.full, 160, 106);
        TDib thumb = ScaleToGray(twice, 80, 53, 0, 0);
        benchmark::DoNotOptimize(thumb.Data());
    }
}

void BM_RotateReduced(benchmark::State& state) {
    TFiles& f = Files();
    for (auto _ : state) {
        TDib out = RotateDIB(f.reduced, 900, 0xFFFFFF);
        benchmark::DoNotOptimize(out.Data());
    }
}

BENCHMARK(BM_ImportJpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ImportJpegTurned)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Djpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_DjpegBmp)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ReduceToCeiling)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ConvertResize)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_ConvertCopy)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_StretchTo80x80)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ThumbnailRoute)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RotateReduced)->Unit(benchmark::kMillisecond)->UseRealTime();

// Remembers the wall-clock time per benchmark to print the ratios; with
// --benchmark_repetitions the fastest repetition counts, which is what a
// machine shared with other work gives most reliably.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.error_occurred || r.run_type != Run::RT_Iteration)
                continue;
            const double t = r.GetAdjustedRealTime();
            // by family name: "BM_Djpeg/min_time:2.000/real_time" counts as BM_Djpeg
            const std::string name = r.benchmark_name();
            auto [it, fresh] = times_.emplace(name.substr(0, name.find('/')), t);
            if (!fresh)
                it->second = std::min(it->second, t);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double Time(const std::string& name) const {
        const auto it = times_.find(name);
        return it == times_.end() ? -1 : it->second;
    }

private:
    std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double ours = reporter.Time("BM_ImportJpeg");
    const double djpeg = reporter.Time("BM_Djpeg");
    const double djpegBmp = reporter.Time("BM_DjpegBmp");
    const double reduce = reporter.Time("BM_ReduceToCeiling");
    const double resize = reporter.Time("BM_ConvertResize");
    const double copy = reporter.Time("BM_ConvertCopy");
    std::printf("\nRatios (ours / reference, wall clock; below 1 is faster):\n");
    if (ours > 0 && djpeg > 0)
        std::printf("  JPEG import 6000x4000 / djpeg -outfile /dev/null (PPM): %.3f\n",
                    ours / djpeg);
    if (ours > 0 && djpegBmp > 0)
        std::printf("  JPEG import 6000x4000 / djpeg -bmp -outfile /dev/null:  %.3f\n",
                    ours / djpegBmp);
    if (reduce > 0 && resize > 0 && copy > 0 && resize > copy)
        std::printf("  reduction to %dx%d / convert -resize (minus plain copy, %.1f ms): %.3f\n",
                    kCeilW, kCeilH, resize - copy, reduce / (resize - copy));
    if (reduce > 0 && resize > 0)
        std::printf("  reduction to %dx%d / whole convert -resize run: %.3f\n", kCeilW, kCeilH,
                    reduce / resize);
    benchmark::Shutdown();
    return 0;
}
