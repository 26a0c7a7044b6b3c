#include "uPicArtwork.h"

#include <QBitmap>

#include <gtest/gtest.h>

#include <cstring>

TEST(PanCursor, OpenHand32x32WithHotSpot7x7) {
    const char* const* rows = PanCursorRows();
    for (int y = 0; y < 32; ++y)
        ASSERT_EQ(std::strlen(rows[y]), 32u) << y;
    // The hot spot lies inside the palm, not on a transparent pixel.
    EXPECT_EQ(rows[7][7], '.');
    const QCursor& c = PanCursor();
    EXPECT_EQ(c.hotSpot(), QPoint(7, 7));
    EXPECT_EQ(c.bitmap().size(), QSize(32, 32));
    EXPECT_EQ(c.mask().size(), QSize(32, 32));
}

TEST(ResolutionLight, FourFramesOnMagentaWithTheRightLampLit) {
    const QImage strip = ResolutionLightStrip();
    ASSERT_EQ(strip.size(), QSize(64, 32));
    EXPECT_EQ(strip.pixel(0, 0), kLightTransparent);
    auto lamp = [&](int frame, int lamp) {
        return QColor(strip.pixel(16 * frame + 7, 7 + 9 * lamp));
    };
    // Frame n lights lamp n (red, yellow, green); the others and frame 3 are grey.
    EXPECT_GT(lamp(0, 0).red(), 200);
    EXPECT_LT(lamp(0, 0).green(), 50);
    EXPECT_GT(lamp(1, 1).red(), 200);
    EXPECT_GT(lamp(1, 1).green(), 150);
    EXPECT_GT(lamp(2, 2).green(), 150);
    EXPECT_LT(lamp(2, 2).red(), 50);
    for (int l = 0; l < 3; ++l) {
        const QColor g = lamp(3, l);
        EXPECT_EQ(g.red(), g.green()) << l;
        EXPECT_EQ(g.green(), g.blue()) << l;
    }

    const QImage f = ResolutionLightFrame(strip, 2);
    ASSERT_EQ(f.size(), QSize(16, 32));
    EXPECT_EQ(qAlpha(f.pixel(0, 0)), 0);
    EXPECT_EQ(f.pixel(7, 25), strip.pixel(32 + 7, 25));
    EXPECT_EQ(qAlpha(ResolutionLightFrame(strip, 9).pixel(7, 7)), 0);
}

TEST(PositionMenuGlyphs, EightDistinctSmallGlyphs) {
    for (int i = 0; i < kPositionMenuGlyphCount; ++i) {
        const QImage g = PositionMenuGlyph(i);
        EXPECT_EQ(g.size(), QSize(16, 16));
        for (int j = 0; j < i; ++j)
            EXPECT_NE(g, PositionMenuGlyph(j)) << i << " " << j;
    }
}
