#include "TestPrintDevice.h"
#include "uDib.h"
#include "uPrintDIB.h"
#include "uRound.h"
#include "uZRDib.h"

#include <gtest/gtest.h>

namespace {

// A 24-bit picture whose pixel (x, y) (top-down) is blue x, green y, red 7.
TDib Pattern(int w, int h, int bits = 24) {
    TDib dib = TDib::Create(w, h, std::uint16_t(bits));
    const int bpp = bits / 8;
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = dib.Row(y);
        for (int x = 0; x < w; ++x) {
            row[x * bpp + 0] = std::uint8_t(x);
            row[x * bpp + 1] = std::uint8_t(y);
            row[x * bpp + 2] = 7;
        }
    }
    return dib;
}

class PrintDibTest : public ::testing::Test {
protected:
    void SetUp() override { SetPrintDIBPause(0); }
    void TearDown() override { SetPrintDIBPause(100); }
    // 300 dpi, a 400 x 300 printable area.
    TTestPrintDevice dev{300, 300, 440, 340, 20, 20, 400, 300};
};

} // namespace

TEST(PrintDibPlan, ClipsEveryEdgeAndShrinksTheSourceInProportion) {
    // 100 pixels left of the page: the right edge stays, the source's left
    // edge moves by MulDiv(source width, 100, destination width).
    TPrintDIBPlan p =
        PlanPrintDIB(1000, 800, 500, 400, 24, {-100, 0, 300, 400}, {0, 0, 500, 400}, false);
    EXPECT_EQ(p.dest, (TPrintRect{0, 0, 300, 400}));
    EXPECT_EQ(p.src, (TPrintRect{MulDiv(500, 100, 400), 0, 500, 400}));

    p = PlanPrintDIB(1000, 800, 500, 400, 24, {0, -40, 500, 360}, {0, 0, 500, 400}, false);
    EXPECT_EQ(p.dest, (TPrintRect{0, 0, 500, 360}));
    EXPECT_EQ(p.src, (TPrintRect{0, 400 - MulDiv(400, 360, 400), 500, 400}));

    p = PlanPrintDIB(1000, 800, 500, 400, 24, {700, 0, 1200, 400}, {0, 0, 500, 400}, false);
    EXPECT_EQ(p.dest, (TPrintRect{700, 0, 1000, 400}));
    EXPECT_EQ(p.src, (TPrintRect{0, 0, MulDiv(500, 300, 500), 400}));

    p = PlanPrintDIB(1000, 800, 500, 400, 24, {0, 600, 500, 1000}, {0, 0, 500, 400}, false);
    EXPECT_EQ(p.dest, (TPrintRect{0, 600, 500, 800}));
    EXPECT_EQ(p.src, (TPrintRect{0, 0, 500, MulDiv(400, 200, 400)}));

    // All four at once, each step working on what the previous left.
    p = PlanPrintDIB(100, 100, 300, 300, 24, {-50, -50, 150, 150}, {0, 0, 300, 300}, false);
    EXPECT_EQ(p.dest, (TPrintRect{0, 0, 100, 100}));
    EXPECT_EQ(p.src, (TPrintRect{75, 75, 75 + MulDiv(225, 100, 150), 75 + MulDiv(225, 100, 150)}));
    EXPECT_EQ(p.src, (TPrintRect{75, 75, 225, 225}));
}

TEST(PrintDibPlan, DestinationOffThePagePrintsNothing) {
    for (TPrintRect d : {TPrintRect{1001, 0, 1100, 10}, TPrintRect{-100, 0, -1, 10},
                         TPrintRect{0, 801, 10, 900}, TPrintRect{0, -50, 10, -1}})
        EXPECT_EQ(PlanPrintDIB(1000, 800, 10, 10, 24, d, {0, 0, 10, 10}, false).path,
                  TPrintDIBPath::None);
}

TEST(PrintDibPlan, NinetySixPercentIsSentWholeNinetyFiveIsCutOut) {
    TPrintDIBPlan p =
        PlanPrintDIB(1000, 1000, 1000, 500, 24, {0, 0, 96, 50}, {20, 0, 980, 500}, false);
    EXPECT_EQ(p.path, TPrintDIBPath::Whole);
    EXPECT_EQ(p.originX, 20);
    EXPECT_EQ(p.originY, 0);
    p = PlanPrintDIB(1000, 1000, 1000, 500, 24, {0, 0, 96, 50}, {20, 0, 970, 500}, false);
    EXPECT_EQ(p.path, TPrintDIBPath::CutOut);
    p = PlanPrintDIB(1000, 1000, 1000, 1000, 24, {0, 0, 96, 50}, {0, 0, 1000, 950}, false);
    EXPECT_EQ(p.path, TPrintDIBPath::CutOut);
    // A bottom-up origin: rows are counted from the bottom of the picture.
    p = PlanPrintDIB(1000, 1000, 100, 100, 24, {0, 0, 10, 10}, {1, 2, 100, 99}, false);
    EXPECT_EQ(p.path, TPrintDIBPath::Whole);
    EXPECT_EQ(p.originY, 100 - 2 - 97);
}

TEST_F(PrintDibTest, WholePictureGoesWithItsSourceOrigin) {
    TDib dib = Pattern(100, 50);
    dev.Open();
    EXPECT_EQ(PrintDIB(dev, dib, {10, 20, 110, 70}, {2, 1, 100, 50}, false), 49);
    ASSERT_EQ(dev.sent.size(), 1u);
    EXPECT_EQ(dev.sent[0].imageSize, QSize(100, 50)); // the picture itself
    EXPECT_EQ(dev.sent[0].source, (TPrintRect{2, 0, 100, 49}));
    EXPECT_EQ(dev.sent[0].dest, (TPrintRect{10, 20, 110, 70}));
}

TEST_F(PrintDibTest, CutOutSendsOnlyTheUsedPixelsTheRightWayUp) {
    TDib dib = Pattern(200, 200);
    dev.Open();
    // Source (50, 60)-(100, 100) at 1:1 into (10, 10).
    EXPECT_EQ(PrintDIB(dev, dib, {10, 10, 60, 50}, {50, 60, 100, 100}, false), 40);
    ASSERT_EQ(dev.sent.size(), 1u);
    EXPECT_EQ(dev.sent[0].imageSize, QSize(50, 40));
    EXPECT_EQ(dev.sent[0].source, (TPrintRect{0, 0, 50, 40}));
    const QImage page = dev.Page();
    for (int y : {10, 30, 49}) {
        for (int x : {10, 35, 59}) {
            const QRgb c = page.pixel(x, y);
            EXPECT_EQ(qBlue(c), 50 + (x - 10)) << x << "," << y;
            EXPECT_EQ(qGreen(c), 60 + (y - 10)) << x << "," << y;
            EXPECT_EQ(qRed(c), 7);
        }
    }
    EXPECT_EQ(page.pixel(9, 10), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(60, 10), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(10, 50), qRgb(255, 255, 255));
}

TEST_F(PrintDibTest, ClippedAtTheLeftEdgeDropsThePictureInProportion) {
    TDib dib = Pattern(200, 100);
    dev.Open();
    // 1:1, 30 pixels left of the page: source columns 0..29 are dropped.
    PrintDIB(dev, dib, {-30, 0, 170, 100}, {0, 0, 200, 100}, false);
    ASSERT_EQ(dev.sent.size(), 1u);
    EXPECT_EQ(dev.sent[0].dest, (TPrintRect{0, 0, 170, 100}));
    const QImage page = dev.Page();
    EXPECT_EQ(qBlue(page.pixel(0, 5)), 30);
    EXPECT_EQ(qBlue(page.pixel(169, 5)), 199);
}

TEST_F(PrintDibTest, ThirtyTwoBitPictureIsAlwaysSentWholeAndNeverGrey) {
    TDib dib = Pattern(100, 100, 32);
    dev.monochrome = true;
    dev.Open();
    PrintDIB(dev, dib, {0, 0, 10, 10}, {0, 0, 10, 10}, true);
    ASSERT_EQ(dev.sent.size(), 1u);
    EXPECT_EQ(dev.sent[0].imageSize, QSize(100, 100));
    EXPECT_EQ(dev.sent[0].source, (TPrintRect{0, 90, 10, 100}));
    const QImage page = dev.Page();
    EXPECT_EQ(page.pixel(3, 4), qRgb(7, 4, 3));
}

TEST_F(PrintDibTest, GreyPathSendsEightBitsWithAGreyTable) {
    TDib dib = TDib::Create(4, 1, 24);
    std::uint8_t* row = dib.Row(0);
    const std::uint8_t px[4][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {10, 20, 30}};
    for (int i = 0; i < 4; ++i)
        for (int c = 0; c < 3; ++c)
            row[i * 3 + c] = px[i][c];
    dev.Open();
    PrintDIB(dev, dib, {0, 0, 4, 1}, {0, 0, 4, 1}, true);
    ASSERT_EQ(dev.sent.size(), 1u);
    EXPECT_EQ(dev.sent[0].format, QImage::Format_Indexed8);
    ASSERT_EQ(dev.sent[0].colorTable.size(), 256);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(dev.sent[0].colorTable[i], qRgb(i, i, i));
    const QImage page = dev.Page();
    EXPECT_EQ(page.pixel(0, 0), qRgb(76, 76, 76));    // 76.5 -> 76
    EXPECT_EQ(page.pixel(1, 0), qRgb(150, 150, 150)); // 150.45
    EXPECT_EQ(page.pixel(2, 0), qRgb(28, 28, 28));    // 28.05
    EXPECT_EQ(page.pixel(3, 0), qRgb(22, 22, 22));    // 9 + 11.8 + 1.1 = 21.9
}

TEST(PrintDibGrey, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(GrayValue(0, 0, 255), 76); // 76.5
    EXPECT_EQ(GrayValue(0, 0, 5), 2);    // 1.5 -> 2
    EXPECT_EQ(GrayValue(255, 255, 255), 255);
    EXPECT_EQ(GrayValue(0, 0, 0), 0);
}

TEST_F(PrintDibTest, DifferentResolutionsStretchEachDirection) {
    TTestPrintDevice wide(600, 300, 800, 400, 0, 0, 800, 400);
    TDib dib = Pattern(100, 100);
    wide.Open();
    PrintDIB(wide, dib, {0, 0, 200, 100}, {0, 0, 100, 100}, false);
    const QImage page = wide.Page();
    EXPECT_EQ(qBlue(page.pixel(199, 99)), 99);
    EXPECT_EQ(qGreen(page.pixel(199, 99)), 99);
    EXPECT_EQ(qBlue(page.pixel(1, 0)), 0);
    EXPECT_EQ(page.pixel(200, 50), qRgb(255, 255, 255));
}

TEST_F(PrintDibTest, EmptyOrInconsistentInputPrintsNothing) {
    dev.Open();
    EXPECT_EQ(PrintDIB(dev, TDib(), {0, 0, 10, 10}, {0, 0, 10, 10}, false), 0);
    TDib dib = Pattern(20, 20);
    // A source beyond the picture would read outside its rows.
    EXPECT_EQ(PrintDIB(dev, dib, {0, 0, 10, 10}, {15, 0, 35, 20}, false), 0);
    EXPECT_EQ(PrintDIB(dev, dib, {0, 0, 10, 10}, {0, 0, 0, 0}, false), 0);
    EXPECT_EQ(PrintDIB(dev, dib, {500, 0, 510, 10}, {0, 0, 20, 20}, false), 0);
    EXPECT_TRUE(dev.sent.empty());
}

TEST_F(PrintDibTest, PictureImageOnThePrinterPageGoesThroughThePictureOutput) {
    TPrintDevice* previous = CurrentPrintDevice();
    SetCurrentPrintDevice(&dev);
    dev.monochrome = true;
    dev.Open();
    TZRDib picture;
    picture.SetHandle(Pattern(200, 200));
    picture.DrawRect(*dev.Canvas(), QRect(10, 10, 50, 40), QRect(50, 60, 50, 40));
    ASSERT_EQ(dev.sent.size(), 1u);
    EXPECT_EQ(dev.sent[0].imageSize, QSize(50, 40));        // only the used part
    EXPECT_EQ(dev.sent[0].format, QImage::Format_Indexed8); // grey for monochrome
    EXPECT_EQ(dev.sent[0].dest, (TPrintRect{10, 10, 60, 50}));
    SetCurrentPrintDevice(previous);
}
