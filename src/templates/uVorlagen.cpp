#include "uVorlagen.h"

#include <QStringList>

namespace {

const QString CRLF = QStringLiteral("\r\n");

QString Lines(const QStringList& lines) {
    return lines.join(CRLF);
}

TPaperTemplate& Add(TTemplateList& list, const QString& caption, const QString& description = {}) {
    list.push_back(std::make_unique<TPaperTemplate>(caption, description));
    return *list.back();
}

void BuildKestrelon(TTemplateList& list) {
    Add(list, "Photos 9x13 cm", "KN7311 - 4 Photos 9x13cm schnittgestanzt")
        .AddGrid(2, 2, 90, 130, 12.8f, 17.7f, 4.0f, 1.6f, 0.8f);
    Add(list, "Photos 13x18 cm", "KN7312 - 2 Photos 13x18cm schnittgestanzt")
        .AddGrid(1, 2, 184, 130, 12.8f, 17.7f, 0, 1.6f, 0.8f);
    Add(list, "DIN A4",
        Lines({"KN7321 - DIN A4 Glossy 210 g/m²", "KN7322 - DIN A4 spezialbeschichtet 120 g/m²",
               "KN7323 - DIN A4 Glossy 170 g/m²", "KN7324 - DIN A4 seidenmatt 150 g/m²"}))
        .AddPosition(0, 0, 210, 297, 1.0f);
}

void BuildSigel(TTemplateList& list) {
    Add(list, "Photos 9x13 cm",
        Lines({"IP 643 - Photos 9x13cm, 3C, glatter Schnitt rundrum, hochglänzend, 210 g/m²",
               "IP 613 - Photos 9x13cm, microperforiert, hochglänzend, 210 g/m²"}))
        .AddGrid(2, 2, 90, 130, 10, 15, 10, 7, 1.0f);
    Add(list, "Photos 10x15 cm",
        Lines({"IP 645 - Photos 10x15cm, 3C, glatter Schnitt rundrum, hochglänzend, 210 g/m²",
               "IP 615 - Photos 10x15cm, microperforiert, hochglänzend, 210 g/m²"}))
        .AddGrid(1, 2, 150, 100, 30, 24.25f, 0, 48.5f, 1.0f);
    Add(list, "Photos 13x18 cm",
        Lines({"IP 644 - Photos 13x18cm, 3C, glatter Schnitt rundrum, hochglänzend, 210 g/m²",
               "IP 614 - Photos 13x18cm, microperforiert, hochglänzend, 210 g/m²"}))
        .AddGrid(1, 2, 180, 130, 15, 15, 0, 7, 1.0f);
    Add(list, "Faltkarten 155x108,5 mm",
        "IP 585 - Faltkarten, Außenseite hochglänzend, Innenseite matt, 170 g/m²")
        .AddGrid(1, 2, 155, 108.5f, 27.5f, 40.5f, 0, 0, 1.0f);
    Add(list, "Faltkarten DIN A5",
        "IP 591 - Faltkarten mit Rahmenprägung, Außenseite hochglänzend, Innenseite matt, 170 "
        "g/m²")
        .AddGrid(1, 1, 168, 106.5f, 21, 169.5f, 0, 0, 1.0f);
    {
        TPaperTemplate& t = Add(list, "Faltkarten DIN A6",
                                "IP 592 - Faltkarten mit Rahmenprägung, Außenseite hochglänzend, "
                                "Innenseite matt, 170 g/m²");
        t.Height = 148.5f;
        t.AddGrid(1, 1, 74, 117.5f, 120.5f, 15.5f, 0, 0, 1.0f);
    }
    Add(list, "Flaschenetiketten", "DE 160 - Flaschenetiketten 80x120mm, hochglänzend")
        .AddGrid(2, 2, 80, 120, 15, 20, 20, 17, 1.0f);
    Add(list, "Passphotos", "IP632 - Passphotos 35x45, microferforiert, hochglänzend, 170 g/m²")
        .AddGrid(4, 5, 35, 45, 20, 16, 10, 10, 1.0f);
    Add(list, "Passphotos", "IP632 - Passphotos 45x55, microferforiert, hochglänzend, 170 g/m²")
        .AddGrid(3, 4, 45, 55, 20, 16, 17.5f, 15, 1.0f);
    Add(list, "Visitenkarten",
        Lines({"IP 525 - Visitenkarten 3C, glatter Schnitt rundum, 85x55mm, 200 g/m²",
               "IP 540 - Visitenkarten mit magnetischer Rückseite, glatte Kanten, 85x55mm",
               "IP 626 - Visitenkarten microperforiert, 85x55mm, 170 g/m²"}))
        .AddGrid(2, 5, 85, 55, 15, 10, 10, 0, 1.0f);
    {
        TPaperTemplate& t =
            Add(list, "CD Einleger",
                "IP 629 - CD Einleger für Deckel und Boden, hochglänzend, 170 g/m²");
        t.AddPosition(59.75f, 24, 120.5f, 121, 1.0f);
        t.AddPosition(29.75f, 155, 150.5f, 118, 1.0f);
    }
    Add(list, "PC-Postkarten", "IP 631 - Postkarten mit Postkartenvordruck, hochglänzend, 170 g/m²")
        .AddGrid(2, 2, 105, 148.5f, 0, 0, 0, 0, 1.0f);
    Add(list, "DIN A4",
        Lines({"IP 600, IP 601, IP660 - DIN A4 Inkjet-Photo-Papier, hochglänzend, 170 g/m²",
               "IP 602 - DIN A4 Inkjet-Photo-Papier, 2 seitig hochglänzend, 190 g/m²",
               "IP 603 - DIN A4 Inkjet-Photo-Papier, 2 seitig seidenmatt, 170 g/m²",
               "IP 607, IP 608 - DIN A4 Inkjet-Photo-Papier, seidenmatt, 150 g/m²",
               "IP 609, IP 610 - DIN A4 Inkjet-Photo-Papier, seidenmatt, 150 g/m²",
               "IP 611, IP 612 - DIN A4 Inkjet-Photo-Papier, hochglänzend, 210 g/m²",
               "IP 663, IP 664 - DIN A4 Inkjet-Photo-Papier, hochglänzend, 125 g/m²",
               "IP 657, IP 658 - DIN A4 Inkjet-Photo-Papier, 2 seitig, hochglänzend/matt, 170 g/m²",
               "IP 638, IP 639 - DIN A4 Inkjet-Ultra-Photo-Papier, hochglänzend, 180 g/m²",
               "IP 640, IP 641 - DIN A4 Inkjet-Ultra-Photo-Papier, hochglänzend, 260 g/m²",
               "IP 668, IP 669 - DIN A4 Inkjet-Ultra-Photo-Papier, seidenmatt, 180 g/m²",
               "IP 670, IP 671 - DIN A4 Inkjet-Ultra-Photo-Papier, seidenmatt, 260 g/m²",
               "IP 693 - DIN A4 Inkjet-Magnet-Papier"}))
        .AddPosition(0, 0, 210, 297, 1.0f);
}

void BuildPassepartouts1(TTemplateList& list) {
    Add(list, "Passep. 1").AddPosition(20, 20, 170, 257, 1.0f);
    Add(list, "Passep. 2").AddGrid(1, 2, 170, 128, 20, 17.5f, 0, 6, 0);
    Add(list, "Passep. 3").AddGrid(1, 3, 170, 82.6f, 20, 17.5f, 0, 6, 0);
    Add(list, "Passep. 4").AddGrid(2, 2, 90, 130, 10, 10, 10, 10, 0);
    Add(list, "Passep. 5").AddGrid(5, 6, 30.8f, 40, 20, 18.5f, 4, 4, 0);
    Add(list, "Passep. 6").AddGrid(1, 2, 152, 101, 29, 23.5f, 0, 48, 1.0f);
}

struct Area {
    float x, y, w, h;
};

void AddAreas(TPaperTemplate& t, std::initializer_list<Area> areas, float bleed = 0) {
    for (const Area& a : areas)
        t.AddPosition(a.x, a.y, a.w, a.h, bleed);
}

void BuildPassepartouts2(TTemplateList& list) {
    AddAreas(Add(list, "Passep. A"), {{20, 18.5f, 82, 58.5f},
                                      {108, 18.5f, 82, 58.5f},
                                      {20, 83, 170, 131},
                                      {20, 220, 82, 58.5f},
                                      {108, 220, 82, 58.5f}});
    AddAreas(Add(list, "Passep. B"), {{20, 18.5f, 82, 58.5f},
                                      {108, 18.5f, 82, 58.5f},
                                      {20, 83, 170, 107},
                                      {20, 196, 114, 82.6f},
                                      {140, 196, 50, 38.3f},
                                      {140, 240.3f, 50, 38.3f}});
    AddAreas(Add(list, "Passep. C"), {{20, 18.5f, 82, 58.5f},
                                      {108, 18.5f, 82, 58.5f},
                                      {20, 83, 170, 66.5f},
                                      {20, 156.5f, 82, 123},
                                      {108, 156.5f, 82, 58.5f},
                                      {108, 221, 82, 58.5f}});
    {
        TPaperTemplate& t = Add(list, "Passep. D");
        AddAreas(t, {{20, 18.5f, 82, 58.5f},
                     {108, 18.5f, 82, 58.5f},
                     {20, 83, 114, 82.6f},
                     {140, 83, 50, 38.3f},
                     {140, 127.3f, 50, 38.3f},
                     {20, 171.6f, 82, 106.8f}});
        t.AddPosition(108, 171.6f, 82, 106.8f, 1.0f);
    }
    AddAreas(Add(list, "Passep. E"), {{20, 18.5f, 114, 82.6f},
                                      {140, 18.5f, 50, 38.3f},
                                      {140, 62.8f, 50, 38.3f},
                                      {20, 107.1f, 50, 38.3f},
                                      {20, 151.4f, 50, 38.3f},
                                      {76, 107.1f, 114, 82.6f},
                                      {20, 195.5f, 114, 82.6f},
                                      {140, 195.5f, 50, 38.3f},
                                      {140, 240, 50, 38.3f}});
}

} // namespace

void BuildCatalogue(TTemplateList& list) {
    BuildKestrelon(list);
    BuildSigel(list);
    BuildPassepartouts1(list);
    BuildPassepartouts2(list);
}

const std::vector<TCatalogPanel>& CataloguePanels() {
    static const std::vector<TCatalogPanel> panels = {
        {"Kestrelon", QColor(168, 168, 184), {0, 1, 2}},
        {"Sigel", QColor(168, 184, 168), {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        {"Passepartouts 1", QColor(184, 168, 168), {16, 17, 18, 19, 20, 21}},
        {"Passepartouts 2", QColor(168, 184, 184), {22, 23, 24, 25, 26}},
    };
    return panels;
}
