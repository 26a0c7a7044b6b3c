#include "uPlacement.h"
#include "uZRRegistry.h"

#include <gtest/gtest.h>

namespace {
const QRect kWorkArea(0, 0, 1024, 738);
}

TEST(Placement, FirstStartUsesTheDefaults) {
    const TRestoredPlacement p =
        RestorePlacement(ZRRegIniFile(), "PlacementFirst", kWorkArea, false);
    EXPECT_EQ(p.Bounds, QRect(30, 30, 964, 678));
    EXPECT_FALSE(p.Maximised);
    // The default is inside a work area that does not start at 0.
    EXPECT_EQ(DefaultPlacementBounds(QRect(100, 50, 800, 600)), QRect(130, 80, 740, 540));
    // Without a stored state the window keeps its own.
    EXPECT_TRUE(RestorePlacement(ZRRegIniFile(), "PlacementFirst", kWorkArea, true).Maximised);
}

TEST(Placement, FitIntoTheWorkArea) {
    // Too wide: shrinks to the work area and moves to its left edge.
    EXPECT_EQ(FitPlacementBounds(QRect(30, 30, 2000, 500), kWorkArea), QRect(0, 30, 1024, 500));
    // Partly off the right edge: moves left until the right edges meet.
    EXPECT_EQ(FitPlacementBounds(QRect(900, 30, 400, 300), kWorkArea), QRect(624, 30, 400, 300));
    // Below the bottom: moves up.
    EXPECT_EQ(FitPlacementBounds(QRect(10, 700, 400, 300), kWorkArea), QRect(10, 438, 400, 300));
    // Off the left or top: negative coordinates become 0.
    EXPECT_EQ(FitPlacementBounds(QRect(-50, -20, 400, 300), kWorkArea), QRect(0, 0, 400, 300));
    // A work area below a task bar at the top.
    const QRect wa(0, 40, 1024, 698);
    EXPECT_EQ(FitPlacementBounds(QRect(0, 500, 500, 400), wa), QRect(0, 338, 500, 400));
    EXPECT_EQ(FitPlacementBounds(QRect(0, 0, 500, 1000), wa), QRect(0, 40, 500, 698));
    EXPECT_EQ(FitPlacementBounds(QRect(0, 0, 500, 300), wa), QRect(0, 40, 500, 300));
}

TEST(Placement, SaveAndRestore) {
    TZRRegIniFile& s = ZRRegIniFile();
    s.EraseSection("PlacementRound");
    SavePlacement(s, "PlacementRound", false, false, QRect(100, 120, 640, 480));
    EXPECT_EQ(s.ReadInteger("PlacementRound", "WindowState", -1), 0);
    EXPECT_EQ(s.ReadInteger("PlacementRound", "Left", -1), 100);
    EXPECT_EQ(s.ReadInteger("PlacementRound", "Top", -1), 120);
    EXPECT_EQ(s.ReadInteger("PlacementRound", "Width", -1), 640);
    EXPECT_EQ(s.ReadInteger("PlacementRound", "Height", -1), 480);
    TRestoredPlacement p = RestorePlacement(s, "PlacementRound", kWorkArea, true);
    EXPECT_EQ(p.Bounds, QRect(100, 120, 640, 480));
    EXPECT_FALSE(p.Maximised);

    // Closing maximised writes only the state; the normal bounds stay.
    SavePlacement(s, "PlacementRound", false, true, QRect(0, 0, 1024, 738));
    EXPECT_EQ(s.ReadInteger("PlacementRound", "WindowState", -1), 2);
    EXPECT_EQ(s.ReadInteger("PlacementRound", "Width", -1), 640);
    p = RestorePlacement(s, "PlacementRound", kWorkArea, false);
    EXPECT_EQ(p.Bounds, QRect(100, 120, 640, 480));
    EXPECT_TRUE(p.Maximised);

    // Closing minimised writes nothing.
    SavePlacement(s, "PlacementRound", true, false, QRect(5, 5, 50, 50));
    EXPECT_EQ(s.ReadInteger("PlacementRound", "WindowState", -1), 2);
    EXPECT_EQ(s.ReadInteger("PlacementRound", "Left", -1), 100);
}

TEST(Placement, StoredValuesAreChecked) {
    TZRRegIniFile& s = ZRRegIniFile();
    s.EraseSection("PlacementOdd");
    s.WriteInteger("PlacementOdd", "Width", 2000);
    s.WriteInteger("PlacementOdd", "Left", 30);
    TRestoredPlacement p = RestorePlacement(s, "PlacementOdd", kWorkArea, false);
    EXPECT_EQ(p.Bounds, QRect(0, 30, 1024, 678));

    // A window of no size would be lost: the default size takes its place.
    s.WriteInteger("PlacementOdd", "Width", 0);
    s.WriteInteger("PlacementOdd", "Height", -5);
    s.WriteString("PlacementOdd", "Left", "links");
    p = RestorePlacement(s, "PlacementOdd", kWorkArea, false);
    EXPECT_EQ(p.Bounds, QRect(30, 30, 964, 678));

    // A stored minimised state opens normal.
    s.WriteInteger("PlacementOdd", "WindowState", 1);
    EXPECT_FALSE(RestorePlacement(s, "PlacementOdd", kWorkArea, true).Maximised);
}
