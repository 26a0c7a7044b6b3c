// The thumbnail loader imports and resamples on its own thread while the GUI
// thread does the same on other pictures: the decoders and the resampling
// must give the same results when they run side by side.

#include "CodecTestUtil.h"
#include "TestSupport.h"
#include "uDecoders.h"
#include "uLeonardo.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

using namespace CodecTest;

TEST(ConcurrencyTest, DecodersAndResamplingRunSideBySide) {
    if (!TestSupport::HaveProgram("convert") || !TestSupport::HaveProgram("cjpeg"))
        GTEST_SKIP() << "convert or cjpeg missing";
    const QString dir = TestSupport::NewTempDir();
    ASSERT_TRUE(WritePpm(dir + "/src.ppm", PhotoLike(211, 163, 4)));
    ASSERT_TRUE(Tool("cjpeg", {"-quality", "90", "-outfile", dir + "/a.jpg", dir + "/src.ppm"}));
    ASSERT_TRUE(Tool("convert", {dir + "/src.ppm", "-compress", "LZW", dir + "/a.tif"}));
    ASSERT_TRUE(Tool("convert", {dir + "/src.ppm", "-colors", "64", dir + "/a.gif"}));
    struct File {
        std::vector<std::uint8_t> bytes;
        TImportDecoder decode;
        TDib reference;
    };
    File files[] = {{ReadBytes(dir + "/a.jpg"), DecodeJpeg, {}},
                    {ReadBytes(dir + "/a.tif"), DecodeTiff, {}},
                    {ReadBytes(dir + "/a.gif"), DecodeGif, {}}};
    for (File& f : files) {
        TImportParams p;
        ASSERT_EQ(f.decode(f.bytes.data(), f.bytes.size(), p), ieOk);
        f.reference = StretchDIB(p.Dib, 70, 50);
        ASSERT_FALSE(f.reference.IsEmpty());
    }
    std::atomic<int> mismatches{0};
    auto worker = [&](int seed) {
        for (int i = 0; i < 12; ++i) {
            const File& f = files[(i + seed) % 3];
            TImportParams p;
            if (f.decode(f.bytes.data(), f.bytes.size(), p) != ieOk) {
                ++mismatches;
                continue;
            }
            const TDib small = StretchDIB(p.Dib, 70, 50);
            if (small.Size() != f.reference.Size() ||
                std::memcmp(small.Data(), f.reference.Data(), small.Size()) != 0)
                ++mismatches;
        }
    };
    std::thread a(worker, 0), b(worker, 1), c(worker, 2);
    worker(0);
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(mismatches.load(), 0);
}
