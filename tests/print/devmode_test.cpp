#include "uDevMode.h"

#include <gtest/gtest.h>

namespace {
TDevMode Sample() {
    TDevMode m;
    m.DeviceName = "VelamorPDF";
    m.PaperKey = "A5";
    m.PaperWidthMM = 148;
    m.PaperHeightMM = 210;
    m.Orientation = 1;
    m.Color = TDevMode::kMonochrome;
    m.Resolution = 1200;
    m.Duplex = TDevMode::kDuplexLongEdge;
    m.Copies = 4;
    m.Options = {{"PageSize", "A5"}, {"MediaType", "Glossy"}, {"Ümlaut", "Wert ä"}};
    return m;
}
} // namespace

TEST(DevMode, RoundTripsEveryField) {
    const TDevMode m = Sample();
    const auto back = TDevMode::Parse(m.Serialize());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, m);
    EXPECT_EQ(back->Option("MediaType"), "Glossy");
    EXPECT_TRUE(back->Option("Missing").isEmpty());
}

TEST(DevMode, DamagedOrForeignBlocksAreRefused) {
    const QByteArray good = Sample().Serialize();
    EXPECT_FALSE(TDevMode::Parse(QByteArray()).has_value());
    EXPECT_FALSE(TDevMode::Parse(good.left(good.size() - 1)).has_value());
    EXPECT_FALSE(TDevMode::Parse(good + "x").has_value());
    for (int i = 0; i < good.size(); i += 7) {
        QByteArray bad = good;
        bad[i] = char(bad[i] ^ 0x21);
        EXPECT_FALSE(TDevMode::Parse(bad).has_value()) << "byte " << i;
    }
    // Another version is refused.
    TDevMode m = Sample();
    QByteArray other = m.Serialize();
    other[4] = 2;
    EXPECT_FALSE(TDevMode::Parse(other).has_value());
    // A Windows DEVMODE or any other binary value is not a block of ours.
    EXPECT_FALSE(TDevMode::Parse(QByteArray(220, '\0')).has_value());
}
