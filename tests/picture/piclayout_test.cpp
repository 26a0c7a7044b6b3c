#include "uPicLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(CoverFit, WidePictureInSquareAreaIsCutLeftAndRight) {
    EXPECT_EQ(CoverFit(3000, 2000, 300, 300), (TIntSize{450, 300}));
    EXPECT_EQ(CoverFit(2000, 3000, 300, 300), (TIntSize{300, 450}));
}

TEST(CoverFit, RoundsLikeMulDivAndCoversBothDirections) {
    // 100 * 3 / 7 = 42.86 -> 43 high; falls short of 50, so the height binds:
    // 50 * 7 / 3 = 116.67 -> 117 wide.
    EXPECT_EQ(CoverFit(7, 3, 100, 50), (TIntSize{117, 50}));
    // Halves round away from zero: 5 * 1 / 2 = 2.5 -> 3, which covers 3 rows,
    // so the width stays that of the area.
    EXPECT_EQ(CoverFit(2, 1, 5, 3), (TIntSize{5, 3}));
    for (int cw : {1, 17, 300, 1234})
        for (int ch : {1, 9, 300, 777}) {
            const TIntSize s = CoverFit(4000, 2999, cw, ch);
            EXPECT_GE(s.width, cw);
            EXPECT_GE(s.height, ch);
        }
}

TEST(CoverFit, EmptyPictureOrAreaGivesNothing) {
    EXPECT_EQ(CoverFit(0, 10, 10, 10), TIntSize{});
    EXPECT_EQ(CoverFit(10, 10, 0, 10), TIntSize{});
    EXPECT_EQ(CoverFit(10, 10, 10, -5), TIntSize{});
}

TEST(CoverFit, ExtremeAspectStaysWithin32Bits) {
    const TIntSize s = CoverFit(1, 500000000, 20000, 10);
    EXPECT_GT(s.height, 0);
    EXPECT_EQ(s.width, 20000);
}

TEST(LayoutPicture, CentredWidePictureInSquareArea) {
    const TPicLayout l = LayoutPicture(3000, 2000, 300, 300, 1.0, 0.5, 0.5);
    EXPECT_EQ(l.DisplayWidth, 450);
    EXPECT_EQ(l.DisplayHeight, 300);
    EXPECT_EQ(l.RangeX, -150);
    EXPECT_EQ(l.RangeY, 0);
    EXPECT_EQ(l.OffsetX, -75);
    EXPECT_EQ(l.OffsetY, 0);
    EXPECT_TRUE(l.CanPan());
}

TEST(LayoutPicture, MatchingAspectCannotPan) {
    const TPicLayout l = LayoutPicture(400, 300, 200, 150, 1.0, 0.5, 0.5);
    EXPECT_EQ(l.RangeX, 0);
    EXPECT_EQ(l.RangeY, 0);
    EXPECT_FALSE(l.CanPan());
}

TEST(LayoutPicture, ZoomMagnifiesWithTruncationAndBelowOneDoesNothing) {
    const TPicLayout z2 = LayoutPicture(3000, 2000, 300, 300, 2.0, 0.5, 0.5);
    EXPECT_EQ(z2.DisplayWidth, 900);
    EXPECT_EQ(z2.DisplayHeight, 600);
    EXPECT_EQ(z2.RangeX, -600);
    EXPECT_EQ(z2.RangeY, -300);
    EXPECT_EQ(z2.OffsetX, -300);
    EXPECT_EQ(z2.OffsetY, -150);
    // 450 * 1.999 = 899.55 -> 899 (truncated, not rounded).
    EXPECT_EQ(LayoutPicture(3000, 2000, 300, 300, 1.999, 0.5, 0.5).DisplayWidth, 899);

    const TPicLayout one = LayoutPicture(3000, 2000, 300, 300, 1.0, 0.3, 0.5);
    const TPicLayout half = LayoutPicture(3000, 2000, 300, 300, 0.5, 0.3, 0.5);
    EXPECT_EQ(half.DisplayWidth, one.DisplayWidth);
    EXPECT_EQ(half.OffsetX, one.OffsetX);
}

TEST(LayoutPicture, OffsetTruncatesTowardZero) {
    // -150 * 0.333 = -49.95 -> -49
    EXPECT_EQ(LayoutPicture(3000, 2000, 300, 300, 1.0, 0.333, 0.5).OffsetX, -49);
}

TEST(LayoutPicture, InvalidFractionsAndZoomNeverUncoverTheArea) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double f : {-3.0, 7.0, nan, inf}) {
        const TPicLayout l = LayoutPicture(3000, 2000, 300, 300, 2.0, f, f);
        EXPECT_LE(l.OffsetX, 0);
        EXPECT_GE(l.OffsetX, l.RangeX);
        EXPECT_LE(l.OffsetY, 0);
        EXPECT_GE(l.OffsetY, l.RangeY);
    }
    EXPECT_EQ(LayoutPicture(3000, 2000, 300, 300, nan, 0.5, 0.5).DisplayWidth, 450);
    const TPicLayout huge = LayoutPicture(3000, 2000, 300, 300, 1e300, 0.5, 0.5);
    EXPECT_GT(huge.DisplayWidth, 0);
    EXPECT_LT(huge.RangeX, 0);
}

TEST(LayoutPicture, EmptyPictureOrAreaGivesEmptyLayout) {
    EXPECT_TRUE(LayoutPicture(0, 0, 300, 300, 1.0, 0.5, 0.5).IsEmpty());
    EXPECT_TRUE(LayoutPicture(300, 200, 0, 300, 1.0, 0.5, 0.5).IsEmpty());
}

TEST(Panning, OffsetIsClampedToRangeAndZero) {
    EXPECT_EQ(PanOffset(-75, -500, -150), -150);
    EXPECT_EQ(PanOffset(-75, 500, -150), 0);
    EXPECT_EQ(PanOffset(-75, 10, -150), -65);
    EXPECT_EQ(PanOffset(0, 37, 0), 0);
    EXPECT_EQ(PanOffset(0, -37, 0), 0);
    EXPECT_EQ(PanOffset(-10, std::numeric_limits<std::int32_t>::min(), -150), -150);
}

TEST(Panning, FractionIsOffsetOverRangeOrCentre) {
    EXPECT_DOUBLE_EQ(PanFraction(-150, -150), 1.0);
    EXPECT_DOUBLE_EQ(PanFraction(0, -150), 0.0);
    EXPECT_DOUBLE_EQ(PanFraction(-30, -150), 0.2);
    EXPECT_DOUBLE_EQ(PanFraction(0, 0), 0.5);
}

TEST(SourceRects, CentredCropOfWidePicture) {
    const TPicLayout l = LayoutPicture(3000, 2000, 300, 300, 1.0, 0.5, 0.5);
    // 75 * 3000 / 450 = 500; 300 * 3000 / 450 = 2000.
    EXPECT_EQ(PaintSourceRect(3000, 2000, 300, 300, l), (TIntRect{500, 0, 2500, 2000}));
    EXPECT_EQ(VisibleSourceRect(3000, 2000, 300, 300, l), (TIntRect{500, 0, 2500, 2000}));
}

TEST(SourceRects, ZoomShowsAQuarterAndEdgesStayInside) {
    const TPicLayout l = LayoutPicture(3000, 2000, 300, 300, 2.0, 1.0, 1.0);
    EXPECT_EQ(VisibleSourceRect(3000, 2000, 300, 300, l), (TIntRect{2000, 1000, 3000, 2000}));
    const TPicLayout t = LayoutPicture(3000, 2000, 300, 300, 2.0, 0.0, 0.0);
    EXPECT_EQ(VisibleSourceRect(3000, 2000, 300, 300, t), (TIntRect{0, 0, 1000, 1000}));
}

TEST(SourceRects, VisibleRectIsClippedToThePicture) {
    // 1001 x 7 in 13 x 11: odd sizes where rounding may overshoot.
    for (double px : {0.0, 0.25, 0.5, 0.77, 1.0}) {
        const TPicLayout l = LayoutPicture(1001, 7, 13, 11, 1.3, px, 0.5);
        const TIntRect r = VisibleSourceRect(1001, 7, 13, 11, l);
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, 1001);
        EXPECT_LE(r.bottom, 7);
        EXPECT_FALSE(r.IsEmpty());
    }
    EXPECT_EQ(VisibleSourceRect(10, 10, 10, 10, TPicLayout{}), TIntRect{});
    EXPECT_EQ(PaintSourceRect(10, 10, 10, 10, TPicLayout{}), TIntRect{});
}

TEST(AutoRotate, OnlyWhenOrientationsDiffer) {
    EXPECT_TRUE(NeedsAutoRotate(3000, 2000, 200, 300));
    EXPECT_TRUE(NeedsAutoRotate(2000, 3000, 300, 200));
    EXPECT_FALSE(NeedsAutoRotate(3000, 2000, 300, 200));
    EXPECT_FALSE(NeedsAutoRotate(2000, 2000, 200, 300)); // square picture
    EXPECT_FALSE(NeedsAutoRotate(3000, 2000, 300, 300)); // square area
    // The product of the two differences would overflow 32 bits.
    EXPECT_TRUE(NeedsAutoRotate(2000000000, 1, 1, 2000000000));
}

TEST(PrintResolution, VerticalPixelsPerInchRounded) {
    // 1000 rows on 25.4 mm = 1000 dpi; 300 rows on 50.8 mm = 150 dpi.
    EXPECT_EQ(PrintDpi({0, 0, 10, 1000}, 25.4), 1000);
    EXPECT_EQ(PrintDpi({0, 0, 10, 300}, 50.8), 150);
    EXPECT_EQ(PrintDpi({0, 0, 10, 0}, 50.8), 0);
    EXPECT_EQ(PrintDpi({0, 0, 10, 300}, 0.0), 0);
}

TEST(PrintResolution, LightThresholds) {
    EXPECT_EQ(LightFrameForDpi(150), lfGreen);
    EXPECT_EQ(LightFrameForDpi(3000), lfGreen);
    EXPECT_EQ(LightFrameForDpi(149), lfYellow);
    EXPECT_EQ(LightFrameForDpi(50), lfYellow);
    EXPECT_EQ(LightFrameForDpi(49), lfRed);
    EXPECT_EQ(LightFrameForDpi(1), lfRed);
    EXPECT_EQ(LightFrameForDpi(0), lfGrey);
}
