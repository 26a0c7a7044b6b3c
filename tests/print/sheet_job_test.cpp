#include "TestPrintDevice.h"
#include "uDib.h"
#include "uPrintDIB.h"
#include "uSheetJob.h"
#include "uTemplateData.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// A position that records where it was printed and sends a solid picture.
class FakePosition : public IPrintPosition {
public:
    explicit FakePosition(bool picture, QRgb color = qRgb(200, 10, 10)) : picture_(picture) {
        if (picture) {
            dib_ = TDib::Create(10, 10, 24);
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 10; ++x) {
                    dib_.Row(y)[x * 3] = std::uint8_t(qBlue(color));
                    dib_.Row(y)[x * 3 + 1] = std::uint8_t(qGreen(color));
                    dib_.Row(y)[x * 3 + 2] = std::uint8_t(qRed(color));
                }
        }
    }
    bool HasPicture() const override { return picture_; }
    void PrintTo(TPrintDevice& device, const TPrintRect& rect) override {
        rects.push_back(rect);
        if (throws)
            throw std::runtime_error("printer gone");
        PrintDIB(device, dib_, rect, {0, 0, 10, 10}, device.Monochrome());
    }
    std::vector<TPrintRect> rects;
    bool throws = false;

private:
    bool picture_;
    TDib dib_;
};

class FakeProgress : public IPrintProgress {
public:
    void ShowPrintProgress(const QString& text) override {
        texts << text;
        open = true;
    }
    void ClosePrintProgress() override {
        open = false;
        ++closed;
    }
    bool PrintAborted() const override { return aborted; }
    void ProcessMessages() override {
        if (++messages == abortAtMessage)
            aborted = true;
    }
    QStringList texts;
    bool open = false;
    int closed = 0;
    bool aborted = false;
    int messages = 0;
    int abortAtMessage = -1;
};

std::vector<FakePosition> Make(std::initializer_list<bool> pictures) {
    std::vector<FakePosition> v;
    v.reserve(pictures.size());
    for (bool b : pictures)
        v.emplace_back(b);
    return v;
}

std::vector<IPrintPosition*> Ptrs(std::vector<FakePosition>& v) {
    std::vector<IPrintPosition*> p;
    for (auto& f : v)
        p.push_back(&f);
    return p;
}

// The job's scaler for a device as the current printer.
TScaler ScalerFor(TPrintDevice& dev, float ox, float oy) {
    TPrintDevice* previous = CurrentPrintDevice();
    SetCurrentPrintDevice(&dev);
    TScaler s;
    SetPrinterScaler(s, ox, oy);
    SetCurrentPrintDevice(previous);
    return s;
}

class SheetJobTest : public ::testing::Test {
protected:
    void SetUp() override { SetPrintDIBPause(0); }
    void TearDown() override { SetPrintDIBPause(100); }
};

} // namespace

TEST(SheetScaling, AreaRectWithOffsetBleedAndPhysicalOffset) {
    // 600 dpi, printable area 50 pixels from the left edge, offset 1.5 mm:
    // an area at X = 10 mm with 1 mm bleed begins at round(10.5 * 600 / 25.4) - 50.
    TTestPrintDevice dev(600, 600, 4960, 7016, 50, 40, 4860, 6900);
    TPosdata area(10, 20, 30, 40, 1.0f);
    const TScaler map = ScalerFor(dev, 1.5f, 0);
    const TPrintRect r = AreaRect(area, map);
    EXPECT_EQ(r.left, 198);
    EXPECT_EQ(r.top, 449 - 40);     // round(19 * 23.622) = 449
    EXPECT_EQ(r.right, 1004 - 50);  // round(42.5 * 23.622) = 1004
    EXPECT_EQ(r.bottom, 1441 - 40); // round(61 * 23.622) = 1441
}

TEST(SheetScaling, EachDirectionUsesItsOwnResolution) {
    TTestPrintDevice dev(600, 300, 4960, 3508, 0, 0, 4960, 3508);
    TPosdata area(25.4f, 25.4f, 25.4f, 25.4f, 0);
    const TPrintRect r = AreaRect(area, ScalerFor(dev, 0, 0));
    EXPECT_EQ(r, (TPrintRect{600, 300, 1200, 600}));
    // Sheet coordinate 0 lands on the paper's edge, left of the printable area.
    TTestPrintDevice off(300, 300, 2480, 3508, 25, 30, 2430, 3448);
    EXPECT_EQ(ScalerFor(off, 0, 0).X(0), -25);
    EXPECT_EQ(ScalerFor(off, 0, 0).Y(0), -30);
    // Halves go to the even neighbour (one pixel per millimetre).
    TScaler unit;
    unit.SetDevice(sdUnit);
    unit.SetOffsetX(1.5f);
    EXPECT_EQ(unit.X(10), 12); // 11.5 -> 12
    EXPECT_EQ(unit.X(11), 12); // 12.5 -> 12
}

TEST_F(SheetJobTest, PrintsEveryAreaAtItsRectangleWithProgress) {
    TTestPrintDevice dev(300, 300, 2480, 3508, 20, 20, 2440, 3468);
    TPaperTemplate sheet("t");
    sheet.AddGrid(2, 1, 50, 50, 10, 10, 10, 0, 1.0f);
    std::vector<FakePosition> pos = Make({true, true});
    FakeProgress progress;
    TSheetJobOptions o;
    o.Title = "Velamor";
    o.OffsetY = -0.5f;
    const TSheetJobResult r = RunSheetJob(dev, sheet, Ptrs(pos), o, progress);
    EXPECT_FALSE(r.Aborted);
    EXPECT_EQ(r.Pages, 1);
    EXPECT_EQ(dev.Title(), "Velamor");
    EXPECT_EQ(dev.events, QStringList({"begin", "picture", "picture", "end"}));
    const TScaler map = ScalerFor(dev, 0, -0.5f);
    EXPECT_EQ(pos[0].rects.at(0), AreaRect(sheet.Position(0), map));
    EXPECT_EQ(pos[1].rects.at(0), AreaRect(sheet.Position(1), map));
    EXPECT_EQ(progress.texts,
              QStringList({"Drucke Seite", "Drucke Grafik 1 von 2", "Drucke Grafik 2 von 2",
                           "Daten werden zum Drucker gesendet"}));
    EXPECT_EQ(progress.closed, 1);
    // The printed rectangle is filled, the paper around it left blank.
    const QImage page = dev.pages.at(0);
    const TPrintRect a = pos[0].rects[0];
    EXPECT_EQ(page.pixel(a.left, a.top), qRgb(200, 10, 10));
    EXPECT_EQ(page.pixel(a.right - 1, a.bottom - 1), qRgb(200, 10, 10));
    EXPECT_EQ(page.pixel(a.left - 1, a.top), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(a.right, a.bottom), qRgb(255, 255, 255));
}

TEST_F(SheetJobTest, CopiesAreDelegatedWhenThePrinterCanMakeMore) {
    TTestPrintDevice dev(300, 300, 2480, 3508, 0, 0, 2480, 3508);
    dev.maxCopies = 99;
    TPaperTemplate sheet("t");
    sheet.AddPosition(10, 10, 20, 20, 0);
    std::vector<FakePosition> pos = Make({true});
    FakeProgress progress;
    TSheetJobOptions o;
    o.Copies = 3;
    const TSheetJobResult r = RunSheetJob(dev, sheet, Ptrs(pos), o, progress);
    EXPECT_EQ(dev.deviceCopies, 3);
    EXPECT_EQ(r.CopiesByJob, 1);
    EXPECT_EQ(dev.events, QStringList({"begin", "picture", "end"}));
}

TEST_F(SheetJobTest, CopiesArePrintedByTheJobWithANewPageBetween) {
    for (int maxCopies : {1, 3, -1}) {
        TTestPrintDevice dev(300, 300, 2480, 3508, 0, 0, 2480, 3508);
        dev.maxCopies = maxCopies;
        dev.deviceCopies = 5; // left over from an earlier job
        TPaperTemplate sheet("t");
        sheet.AddPosition(10, 10, 20, 20, 0);
        std::vector<FakePosition> pos = Make({true});
        FakeProgress progress;
        TSheetJobOptions o;
        o.Copies = 3; // exactly MaxCopies in the second round: the job prints them
        const TSheetJobResult r = RunSheetJob(dev, sheet, Ptrs(pos), o, progress);
        EXPECT_EQ(r.CopiesByJob, 3) << maxCopies;
        EXPECT_EQ(r.Pages, 3);
        EXPECT_EQ(dev.events, QStringList({"begin", "picture", "newpage", "picture", "newpage",
                                           "picture", "end"}))
            << maxCopies;
        EXPECT_EQ(dev.pages.size(), 3u);
        if (maxCopies >= 1) {
            EXPECT_EQ(dev.deviceCopies, 1) << "a stale device copy count multiplies the copies";
        }
    }
}

TEST_F(SheetJobTest, AbortEndsAfterTheCurrentPicture) {
    TTestPrintDevice dev(300, 300, 2480, 3508, 0, 0, 2480, 3508);
    TPaperTemplate sheet("t");
    sheet.AddGrid(2, 2, 30, 30, 10, 10, 5, 5, 0);
    std::vector<FakePosition> pos = Make({true, true, true, true});
    FakeProgress progress;
    progress.abortAtMessage = 2; // the button is pressed while picture 2 prints
    TSheetJobOptions o;
    o.Copies = 2;
    const TSheetJobResult r = RunSheetJob(dev, sheet, Ptrs(pos), o, progress);
    EXPECT_TRUE(r.Aborted);
    EXPECT_EQ(dev.events, QStringList({"begin", "picture", "picture", "abort"}));
    EXPECT_TRUE(pos[2].rects.empty());
    EXPECT_EQ(progress.texts.last(), "Druck wird abgebrochen");
    EXPECT_EQ(progress.closed, 1);
}

TEST_F(SheetJobTest, AllEmptySheetStillGivesAPagePerCopy) {
    TTestPrintDevice dev(300, 300, 2480, 3508, 0, 0, 2480, 3508);
    TPaperTemplate sheet("t");
    sheet.AddGrid(2, 2, 30, 30, 10, 10, 5, 5, 0);
    std::vector<FakePosition> pos = Make({false, false}); // fewer than areas
    FakeProgress progress;
    RunSheetJob(dev, sheet, Ptrs(pos), TSheetJobOptions{}, progress);
    EXPECT_EQ(dev.events, QStringList({"begin", "end"}));
    EXPECT_EQ(dev.pages.size(), 1u);

    TTestPrintDevice dev2(300, 300, 2480, 3508, 0, 0, 2480, 3508);
    TSheetJobOptions o;
    o.Copies = 2;
    RunSheetJob(dev2, sheet, Ptrs(pos), o, progress);
    EXPECT_EQ(dev2.events, QStringList({"begin", "newpage", "end"}));
    EXPECT_EQ(dev2.pages.size(), 2u);
}

TEST_F(SheetJobTest, ExceptionAbortsTheDocumentAndClosesTheProgress) {
    TTestPrintDevice dev(300, 300, 2480, 3508, 0, 0, 2480, 3508);
    TPaperTemplate sheet("t");
    sheet.AddGrid(2, 1, 30, 30, 10, 10, 5, 5, 0);
    std::vector<FakePosition> pos = Make({true, true});
    pos[1].throws = true;
    FakeProgress progress;
    EXPECT_THROW(RunSheetJob(dev, sheet, Ptrs(pos), TSheetJobOptions{}, progress),
                 std::runtime_error);
    EXPECT_EQ(dev.events, QStringList({"begin", "picture", "abort"}));
    EXPECT_FALSE(dev.Printing());
    EXPECT_EQ(progress.closed, 1);
}

TEST_F(SheetJobTest, BleedBeyondThePaperIsClipped) {
    // A full-page area with 1 mm bleed on a printer with a 5 mm unprintable
    // margin: the picture is clipped to the printable area.
    TTestPrintDevice dev(254, 254, 2100, 2970, 50, 50, 2000, 2870);
    TPaperTemplate sheet("t");
    sheet.AddPosition(0, 0, 210, 297, 1.0f);
    std::vector<FakePosition> pos = Make({true});
    FakeProgress progress;
    RunSheetJob(dev, sheet, Ptrs(pos), TSheetJobOptions{}, progress);
    ASSERT_EQ(dev.sent.size(), 1u);
    EXPECT_EQ(dev.sent[0].dest, (TPrintRect{0, 0, 2000, 2870}));
    EXPECT_EQ(pos[0].rects[0], (TPrintRect{-60, -60, 2060, 2930}));
}
