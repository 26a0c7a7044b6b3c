// velamor-cli templates: the catalogue as JSON and as a table, checked against
// the catalogue's own numbers.

#include "TestSupport.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString kCli = QStringLiteral(VELAMOR_CLI);

using Result = TestSupport::RunResult;

Result RunCli(const QStringList& args) {
    return TestSupport::RunSplit(kCli, args);
}

QJsonObject Catalogue() {
    const Result r = RunCli({"templates", "--json"});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    QJsonParseError e;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &e);
    EXPECT_EQ(e.error, QJsonParseError::NoError) << qPrintable(e.errorString());
    return doc.object();
}

// A JSON number as the float32 it was printed from.
float F(const QJsonValue& v) {
    return static_cast<float>(v.toDouble());
}

void ExpectArea(const QJsonValue& v, float x, float y, float w, float h, float bl, float bt,
                float br, float bb) {
    const QJsonObject a = v.toObject();
    EXPECT_EQ(F(a["x"]), x);
    EXPECT_EQ(F(a["y"]), y);
    EXPECT_EQ(F(a["width"]), w);
    EXPECT_EQ(F(a["height"]), h);
    EXPECT_EQ(F(a["bleedLeft"]), bl);
    EXPECT_EQ(F(a["bleedTop"]), bt);
    EXPECT_EQ(F(a["bleedRight"]), br);
    EXPECT_EQ(F(a["bleedBottom"]), bb);
}

} // namespace

TEST(TemplatesCli, PanelsAndAreaCounts) {
    const QJsonObject cat = Catalogue();
    const QJsonArray panels = cat["panels"].toArray();
    ASSERT_EQ(panels.size(), 4);
    const char* captions[] = {"Kestrelon", "Sigel", "Passepartouts 1", "Passepartouts 2"};
    const int colours[4][3] = {{168, 168, 184}, {168, 184, 168}, {184, 168, 168}, {168, 184, 184}};
    const int firsts[] = {0, 3, 16, 22};
    const int counts[] = {3, 13, 6, 5};
    for (int i = 0; i < 4; ++i) {
        const QJsonObject p = panels[i].toObject();
        EXPECT_EQ(p["caption"].toString(), QString::fromUtf8(captions[i]));
        EXPECT_EQ(p["color"]["r"].toInt(), colours[i][0]);
        EXPECT_EQ(p["color"]["g"].toInt(), colours[i][1]);
        EXPECT_EQ(p["color"]["b"].toInt(), colours[i][2]);
        const QJsonArray nums = p["templates"].toArray();
        ASSERT_EQ(nums.size(), counts[i]);
        for (int k = 0; k < counts[i]; ++k)
            EXPECT_EQ(nums[k].toInt(), firsts[i] + k);
    }

    const QJsonArray templates = cat["templates"].toArray();
    ASSERT_EQ(templates.size(), 27);
    const int areas[27] = {4, 2, 1, 4, 2, 2, 2,  1, 1, 4, 20, 12, 10, 2,
                           4, 1, 1, 2, 3, 4, 30, 2, 5, 6, 6,  7,  9};
    for (int n = 0; n < 27; ++n) {
        const QJsonObject t = templates[n].toObject();
        EXPECT_EQ(t["number"].toInt(), n);
        EXPECT_EQ(t["areas"].toArray().size(), areas[n]) << n;
        EXPECT_EQ(F(t["width"]), 210.0f) << n;
        EXPECT_EQ(F(t["height"]), n == 8 ? 148.5f : 297.0f) << n;
    }
}

TEST(TemplatesCli, TemplatesInFull) {
    const QJsonArray templates = Catalogue()["templates"].toArray();
    ASSERT_EQ(templates.size(), 27);

    const QJsonObject t0 = templates[0].toObject();
    EXPECT_EQ(t0["caption"].toString(), "Photos 9x13 cm");
    EXPECT_EQ(t0["description"].toArray(), QJsonArray{"KN7311 - 4 Photos 9x13cm schnittgestanzt"});
    const QJsonArray a0 = t0["areas"].toArray();
    ExpectArea(a0[0], 12.8f, 17.7f, 90, 130, 0.8f, 0.8f, 0.8f, 0.8f);
    ExpectArea(a0[1], 106.8f, 17.7f, 90, 130, 0.8f, 0.8f, 0.8f, 0.8f);
    ExpectArea(a0[2], 12.8f, 149.3f, 90, 130, 0.8f, 0.8f, 0.8f, 0.8f);
    ExpectArea(a0[3], 106.8f, 149.3f, 90, 130, 0.8f, 0.8f, 0.8f, 0.8f);

    const QJsonObject t2 = templates[2].toObject();
    EXPECT_EQ(t2["description"].toArray().size(), 4);
    EXPECT_EQ(t2["description"][0].toString(), QStringLiteral("KN7321 - DIN A4 Glossy 210 g/m²"));
    ExpectArea(t2["areas"][0], 0, 0, 210, 297, 1, 1, 1, 1);

    const QJsonObject t8 = templates[8].toObject();
    EXPECT_EQ(t8["caption"].toString(), "Faltkarten DIN A6");
    ExpectArea(t8["areas"][0], 120.5f, 15.5f, 74, 117.5f, 1, 1, 1, 1);

    const QJsonObject t13 = templates[13].toObject();
    EXPECT_EQ(t13["caption"].toString(), "CD Einleger");
    ExpectArea(t13["areas"][0], 59.75f, 24, 120.5f, 121, 1, 1, 1, 1);
    ExpectArea(t13["areas"][1], 29.75f, 155, 150.5f, 118, 1, 1, 1, 1);

    EXPECT_EQ(templates[15].toObject()["description"].toArray().size(), 13);
    EXPECT_EQ(templates[15]["description"][12].toString(), "IP 693 - DIN A4 Inkjet-Magnet-Papier");
    EXPECT_TRUE(templates[16]["description"].toArray().isEmpty());

    // Template 25: the last two areas carry a bleed of 1, the others none.
    const QJsonArray a25 = templates[25]["areas"].toArray();
    ExpectArea(a25[0], 20, 18.5f, 82, 58.5f, 0, 0, 0, 0);
    ExpectArea(a25[4], 140, 127.3f, 50, 38.3f, 0, 0, 0, 0);
    ExpectArea(a25[6], 108, 171.6f, 82, 106.8f, 1, 1, 1, 1);
    ExpectArea(templates[26]["areas"][8], 140, 240, 50, 38.3f, 0, 0, 0, 0);
}

TEST(TemplatesCli, GridBleeds) {
    const QJsonArray templates = Catalogue()["templates"].toArray();
    ASSERT_EQ(templates.size(), 27);
    // Folding cards touch each other: no bleed on the shared edge.
    const QJsonArray a6 = templates[6]["areas"].toArray();
    ExpectArea(a6[0], 27.5f, 40.5f, 155, 108.5f, 1, 1, 1, 0);
    ExpectArea(a6[1], 27.5f, 149, 155, 108.5f, 1, 0, 1, 1);
    // Postcards fill the sheet in 2 x 2 without gaps.
    const QJsonArray a14 = templates[14]["areas"].toArray();
    ExpectArea(a14[0], 0, 0, 105, 148.5f, 1, 1, 0, 0);
    ExpectArea(a14[3], 105, 148.5f, 105, 148.5f, 0, 0, 1, 1);
    // Wide gaps keep the full bleed inside too.
    ExpectArea(templates[4]["areas"][1], 30, 172.75f, 150, 100, 1, 1, 1, 1);
    // Passepartout grid without bleed; its last cell.
    ExpectArea(templates[20]["areas"][29], 159.2f, 238.5f, 30.8f, 40, 0, 0, 0, 0);
    // Business cards: rows touch (gap 0), columns 10 mm apart.
    const QJsonArray a12 = templates[12]["areas"].toArray();
    ExpectArea(a12[0], 15, 10, 85, 55, 1, 1, 1, 0);
    ExpectArea(a12[3], 110, 65, 85, 55, 1, 0, 1, 0);
}

TEST(TemplatesCli, NumbersReadNaturally) {
    const Result r = RunCli({"templates", "--json"});
    ASSERT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains("\"x\": 12.8, \"y\": 17.7,"));
    EXPECT_TRUE(r.out.contains("\"height\": 148.5,"));
    EXPECT_FALSE(r.out.contains("0000")) << "a float printed with spurious digits";
}

TEST(TemplatesCli, TableAndBadArguments) {
    const Result table = RunCli({"templates"});
    ASSERT_EQ(table.code, 0);
    const QString text = QString::fromUtf8(table.out);
    EXPECT_TRUE(text.contains("Passepartouts 2"));
    EXPECT_TRUE(text.contains(QRegularExpression("\\n 8  210 x 148\\.5 +1  Faltkarten DIN A6\\n")));
    EXPECT_TRUE(text.contains(QRegularExpression("\\n20  210 x 297 +30  Passep\\. 5\\n")));

    const Result bad = RunCli({"templates", "--xml"});
    EXPECT_EQ(bad.code, 2);
    EXPECT_TRUE(bad.err.contains("Unbekanntes Argument: --xml"));
    EXPECT_TRUE(bad.out.isEmpty());
}
