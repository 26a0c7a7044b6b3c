#include "uSheetLayout.h"
#include "uTemplateData.h"
#include "uVorlagen.h"

#include <gtest/gtest.h>

TEST(SheetLayout, A4InWidePanelIsBoundByHeight) {
    // w = 780 would need h = 1103; the height binds: h = 380, w = round(268.69).
    EXPECT_EQ(SheetRect(210, 297, 800, 400), QRect(265, 10, 269, 380));
}

TEST(SheetLayout, A4InNarrowPanelIsBoundByWidth) {
    const QRect r = SheetRect(210, 297, 500, 1000);
    EXPECT_EQ(r.width(), 480);
    EXPECT_EQ(r.height(), 679); // round(297 * 480 / 210) = round(678.86)
    EXPECT_EQ(r.left(), 10);
    EXPECT_EQ(r.top(), (1000 - 679) / 2);
}

TEST(SheetLayout, CentresWithIntegerHalvingTowardZero) {
    // Height binds at 381: w = round(210 * 381 / 297) = round(269.39) = 269;
    // left = (801 - 269) div 2 = 266.
    EXPECT_EQ(SheetRect(210, 297, 801, 401), QRect(266, 10, 269, 381));
    // Odd remainder: (800 - 269) div 2 = 265 (not 266).
    EXPECT_EQ(SheetRect(210, 297, 800, 400).left(), 265);
}

TEST(SheetLayout, RoundsHalvesToEven) {
    // A 100 mm wide sheet in a 220-pixel panel is 200 pixels wide, so
    // h = 2 * sheet height: 200.5 -> 200, 201.5 -> 202, 202.5 -> 202.
    EXPECT_EQ(SheetRect(100, 100.25, 220, 1000).height(), 200);
    EXPECT_EQ(SheetRect(100, 100.75, 220, 1000).height(), 202);
    EXPECT_EQ(SheetRect(100, 101.25, 220, 1000).height(), 202);
}

TEST(SheetLayout, TinyPanelsKeepTheMarginAndNoNegativeSize) {
    for (int cw : {0, 5, 15, 19, 20, 21}) {
        for (int ch : {0, 5, 15, 19, 20, 21, 400}) {
            const QRect r = SheetRect(210, 297, cw, ch);
            EXPECT_GE(r.left(), 10) << cw << "x" << ch;
            EXPECT_GE(r.top(), 10) << cw << "x" << ch;
            EXPECT_GE(r.width(), 0) << cw << "x" << ch;
            EXPECT_GE(r.height(), 0) << cw << "x" << ch;
        }
    }
    EXPECT_EQ(SheetRect(210, 297, 15, 15), QRect(10, 10, 0, 0));
    // Wide but low: the height binds at 0.
    EXPECT_EQ(SheetRect(210, 297, 800, 12).topLeft(), QPoint(400, 10));
}

TEST(SheetLayout, SheetWithoutSizeIsEmpty) {
    EXPECT_EQ(SheetRect(0, 297, 800, 600).size(), QSize(0, 0));
    EXPECT_EQ(SheetRect(210, -1, 800, 600).size(), QSize(0, 0));
}

TEST(SheetLayout, CatalogueTemplate8IsFittedByItsOwnProportions) {
    TTemplateList list;
    BuildCatalogue(list);
    const TPaperTemplate& t = *list.at(8);
    ASSERT_FLOAT_EQ(t.Width, 210.0f);
    ASSERT_FLOAT_EQ(t.Height, 148.5f);
    // Width binds: h = round(148.5 * 480 / 210) = round(339.43) = 339.
    EXPECT_EQ(SheetRect(t, 500, 800), QRect(10, 230, 480, 339));
    // Height binds: h = 380, w = round(210 * 380 / 148.5) = round(537.37) = 537.
    EXPECT_EQ(SheetRect(t, 800, 400), QRect(131, 10, 537, 380));
}

TEST(SheetLayout, AreaRectanglesScaleFromTheSheetCorner) {
    TPaperTemplate t("x");
    t.AddPosition(0, 0, 210, 297, 0);
    t.AddPosition(12.8f, 17.7f, 90, 130, 0.8f);
    const QRect sheet(265, 10, 269, 380);
    EXPECT_EQ(AreaRect(t, 0, sheet), sheet);
    // L = round(269 * 12.8 / 210) + 265 = round(16.396) + 265 = 281
    // T = round(380 * 17.7 / 297) + 10 = round(22.646) + 10 = 33
    // R = round(102.8 * 269 / 210) + 265 = round(131.68) + 265 = 397
    // B = round(147.7 * 380 / 297) + 10 = round(188.98) + 10 = 199
    EXPECT_EQ(AreaRect(t, 1, sheet), QRect(QPoint(281, 33), QPoint(396, 198)));
}

TEST(SheetLayout, AreaEdgesRoundHalvesToEven) {
    TPaperTemplate t("x");
    t.Width = 100;
    t.Height = 100;
    // Two pixels per mm: x 1.25 -> 2.5 -> 2, x + w 1.75 -> 3.5 -> 4,
    // y 1.75 -> 3.5 -> 4, y + h 2.25 -> 4.5 -> 4 (an empty row).
    t.AddPosition(1.25f, 1.75f, 0.5f, 0.5f, 0);
    const QRect r = AreaRect(t, 0, QRect(10, 10, 200, 200));
    EXPECT_EQ(r.left(), 12);
    EXPECT_EQ(r.left() + r.width(), 14);
    EXPECT_EQ(r.top(), 14);
    EXPECT_EQ(r.height(), 0);
}
