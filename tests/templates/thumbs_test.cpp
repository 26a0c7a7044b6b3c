// Filling the chooser bar from the catalogue and drawing the thumbnails.

#include "uTemplateThumbs.h"
#include "uZROutlookbar.h"

#include <QLabel>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class CatalogueBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        BuildCatalogue(templates);
        bar.resize(135, 466);
        FillBarFromCatalogue(bar, templates, CataloguePanels());
    }
    TTemplateList templates;
    TZROutlookBar bar;
};

TEST_F(CatalogueBarTest, OnePanelPerGroupOneItemPerTemplate) {
    ASSERT_EQ(bar.PanelCount(), 4);
    const int counts[] = {3, 13, 6, 5};
    int number = 0;
    for (int p = 0; p < 4; ++p) {
        TZROutlookBarPanel* panel = bar.Panel(p);
        const TCatalogPanel& group = CataloguePanels()[static_cast<size_t>(p)];
        EXPECT_EQ(panel->Caption(), group.Caption);
        EXPECT_EQ(panel->Color(), group.Color);
        ASSERT_EQ(panel->ItemCount(), counts[p]);
        for (int i = 0; i < panel->ItemCount(); ++i, ++number) {
            const TZROutlookBarItem* item = panel->Item(i);
            const TPaperTemplate& paper = *templates[static_cast<size_t>(number)];
            EXPECT_EQ(item->Tag, number);
            EXPECT_EQ(item->Label->text(), paper.Caption);
            EXPECT_EQ(item->Button->size(), QSize(72, 91));
            EXPECT_EQ(item->Button->iconSize(), QSize(60, 85));
        }
    }
    EXPECT_EQ(bar.OpenPanel(), 0);
    EXPECT_EQ(bar.Panel(0)->y(), 0);
    EXPECT_EQ(bar.Panel(1)->y(), 466 - 3 * 22);
}

TEST_F(CatalogueBarTest, DescriptionIsAMultiLineTooltip) {
    // Template 2, "DIN A4", has four product lines.
    const QString tip = bar.Panel(0)->Item(2)->Button->toolTip();
    EXPECT_EQ(tip.count('\n'), 3);
    EXPECT_FALSE(tip.contains('\r'));
    EXPECT_TRUE(tip.startsWith("KN7321"));
}

TEST_F(CatalogueBarTest, ClickSelectsTheTemplateNumber) {
    int selected = -1;
    bar.OnItemSelected = [&](TZROutlookBar*, int tag) { selected = tag; };
    bar.Panel(1)->Item(5)->Button->click();
    EXPECT_EQ(selected, 8);
}

// Pixel rows of a thumbnail: '#' black, 'w' white, 'g' grey, '.' other.
char Kind(const QImage& img, int x, int y) {
    const QColor c = img.pixelColor(x, y);
    if (c == QColor(Qt::black))
        return '#';
    if (c == QColor(Qt::white))
        return 'w';
    if (c == QColor(128, 128, 128))
        return 'g';
    return '.';
}

TEST(TemplateThumb, A4SheetFillsTheImageLessOnePixel) {
    TTemplateList templates;
    BuildCatalogue(templates);
    QImage img(ThumbWidth, ThumbHeight, QImage::Format_RGB32);
    DrawTemplateThumb(img, *templates[2]); // DIN A4, one area over the whole sheet
    // 210 mm span 58 pixels from x 1; the right and bottom edges are inclusive.
    EXPECT_EQ(Kind(img, 0, 40), '.');
    EXPECT_EQ(Kind(img, 1, 40), '#');
    EXPECT_EQ(Kind(img, 59, 40), '#');
    EXPECT_EQ(Kind(img, 30, 0), '.');
    EXPECT_EQ(Kind(img, 30, 1), '#');
    EXPECT_EQ(Kind(img, 30, 83), '#');
    EXPECT_EQ(Kind(img, 30, 84), '.');
    EXPECT_EQ(Kind(img, 30, 40), 'w');
}

TEST(TemplateThumb, HalfSheetShowsTheDottedA4Outline) {
    TTemplateList templates;
    BuildCatalogue(templates);
    const TPaperTemplate& half = *templates[8];
    ASSERT_FLOAT_EQ(half.Width, 210.0f);
    ASSERT_FLOAT_EQ(half.Height, 148.5f);
    QImage img(ThumbWidth, ThumbHeight, QImage::Format_RGB32);
    DrawTemplateThumb(img, half);
    // The sheet covers the upper half: solid outline at y 42.
    EXPECT_EQ(Kind(img, 30, 1), '#');
    EXPECT_EQ(Kind(img, 20, 42), '#');
    EXPECT_EQ(Kind(img, 21, 42), '#');
    // Below it only the dotted A4 outline on the button face.
    int black = 0;
    int face = 0;
    for (int y = 50; y < 80; ++y) {
        black += Kind(img, 1, y) == '#';
        face += Kind(img, 1, y) == '.';
    }
    EXPECT_GT(black, 5);
    EXPECT_GT(face, 5);
    EXPECT_EQ(Kind(img, 30, 60), '.');
    EXPECT_EQ(Kind(img, 30, 83), '#') << "dotted bottom edge of A4";
}

} // namespace
