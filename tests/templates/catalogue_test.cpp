#include "uTemplateData.h"
#include "uVorlagen.h"

#include <gtest/gtest.h>

namespace {

TTemplateList Catalogue() {
    TTemplateList list;
    BuildCatalogue(list);
    return list;
}

void ExpectBleeds(const TPosdata& p, float left, float top, float right, float bottom) {
    EXPECT_FLOAT_EQ(p.BleedLeft, left);
    EXPECT_FLOAT_EQ(p.BleedTop, top);
    EXPECT_FLOAT_EQ(p.BleedRight, right);
    EXPECT_FLOAT_EQ(p.BleedBottom, bottom);
}

} // namespace

TEST(TemplateModel, NewTemplateIsEmptyA4) {
    TPaperTemplate t("x");
    EXPECT_EQ(t.Count(), 0);
    EXPECT_EQ(t.Width, 210.0f);
    EXPECT_EQ(t.Height, 297.0f);
    EXPECT_TRUE(t.Description.isEmpty());
}

TEST(TemplateModel, GridBleeds) {
    // Inner bleeds are limited to half the gap; outer edges get the full bleed.
    TPaperTemplate touching("t");
    touching.AddGrid(3, 2, 10, 10, 0, 0, 0, 3, 1.0f);
    ASSERT_EQ(touching.Count(), 6);
    ExpectBleeds(touching.Position(0), 1.0f, 1.0f, 0, 1.0f);
    ExpectBleeds(touching.Position(1), 0, 1.0f, 0, 1.0f);
    ExpectBleeds(touching.Position(5), 0, 1.0f, 1.0f, 1.0f);

    TPaperTemplate none("n");
    none.AddGrid(2, 2, 10, 10, 0, 0, 5, 5, 0);
    for (int i = 0; i < 4; ++i)
        ExpectBleeds(none.Position(i), 0, 0, 0, 0);

    TPaperTemplate empty("e");
    empty.AddGrid(0, 4, 10, 10, 0, 0, 5, 5, 1);
    empty.AddGrid(4, 0, 10, 10, 0, 0, 5, 5, 1);
    EXPECT_EQ(empty.Count(), 0);
}

TEST(Catalogue, CountsAndPanels) {
    const TTemplateList list = Catalogue();
    ASSERT_EQ(list.size(), 27u);
    const auto& panels = CataloguePanels();
    ASSERT_EQ(panels.size(), 4u);
    EXPECT_EQ(panels[0].Templates.size(), 3u);
    EXPECT_EQ(panels[1].Templates.size(), 13u);
    EXPECT_EQ(panels[2].Templates.size(), 6u);
    EXPECT_EQ(panels[3].Templates.size(), 5u);
    EXPECT_EQ(list[20]->Count(), 30);
    EXPECT_EQ(list[10]->Count(), 20);
    EXPECT_EQ(list[11]->Count(), 12);
    EXPECT_EQ(list[12]->Count(), 10);
    EXPECT_EQ(list[25]->Count(), 7);
    EXPECT_EQ(list[26]->Count(), 9);
    EXPECT_EQ(list[8]->Width, 210.0f);
    EXPECT_EQ(list[8]->Height, 148.5f);
    EXPECT_EQ(list[15]->Description.count("\r\n"), 12);
}

TEST(Catalogue, Template0Areas) {
    const TTemplateList list = Catalogue();
    const TPaperTemplate& t = *list[0];
    ASSERT_EQ(t.Count(), 4);
    const float xs[] = {12.8f, 106.8f, 12.8f, 106.8f};
    const float ys[] = {17.7f, 17.7f, 149.3f, 149.3f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(t.Position(i).X, xs[i]);
        EXPECT_FLOAT_EQ(t.Position(i).Y, ys[i]);
        EXPECT_EQ(t.Position(i).Width, 90.0f);
        EXPECT_EQ(t.Position(i).Height, 130.0f);
        ExpectBleeds(t.Position(i), 0.8f, 0.8f, 0.8f, 0.8f);
    }
}

TEST(Catalogue, OddAreas) {
    const TTemplateList list = Catalogue();
    // Passe-partout D: only the last area has a bleed.
    const TPaperTemplate& d = *list[25];
    ExpectBleeds(d.Position(5), 0, 0, 0, 0);
    ExpectBleeds(d.Position(6), 1, 1, 1, 1);
    EXPECT_FLOAT_EQ(d.Position(6).X, 108.0f);
    // Business cards touch vertically: inner vertical bleeds are 0.
    const TPaperTemplate& cards = *list[12];
    ExpectBleeds(cards.Position(2), 1.0f, 0, 1.0f, 0);
    EXPECT_FLOAT_EQ(cards.Position(9).X, 110.0f);
    EXPECT_FLOAT_EQ(cards.Position(9).Y, 230.0f);
}
