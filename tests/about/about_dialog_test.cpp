#include "FInfo.h"
#include "MessageCapture.h"

#include <QFrame>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

TEST(AboutBox, CaptionSizeAndVersion) {
    TDlgInfo dlg;
    EXPECT_EQ(dlg.windowTitle(), "Infos");
    EXPECT_EQ(dlg.size(), QSize(378, 262));
    EXPECT_EQ(dlg.Version->text(), "Version 2.00.01 Build 0006");
    EXPECT_EQ(dlg.ProductName->text(), "Kestrelon Velamor");
    EXPECT_TRUE(dlg.ProductName->font().bold());
    EXPECT_EQ(dlg.ProductName->font().pixelSize(), 16);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(dlg.geometry().center().x() - screen.center().x()), 1);
}

TEST(AboutBox, ComponentsAtTheirPlaces) {
    TDlgInfo dlg;
    struct {
        QWidget* w;
        QPoint pos;
    } const places[] = {
        {dlg.Image1, {15, 11}},     {dlg.ProductName, {87, 16}},  {dlg.Version, {87, 40}},
        {dlg.Label1, {87, 72}},     {dlg.lblHomepage, {216, 72}}, {dlg.Label2, {87, 96}},
        {dlg.lblEMail, {216, 97}},  {dlg.Bevel2, {8, 201}},       {dlg.Label10, {14, 208}},
        {dlg.OKButton, {288, 209}},
    };
    for (const auto& p : places)
        EXPECT_EQ(p.w->pos(), p.pos) << p.w->objectName().toStdString();
    EXPECT_EQ(dlg.Image1->size(), QSize(60, 180));
    EXPECT_EQ(dlg.Label10->size(), QSize(265, 48));
    EXPECT_TRUE(dlg.Label10->wordWrap());
    // The whole notice fits its box.
    EXPECT_LE(dlg.Label10->heightForWidth(265), 48);
    EXPECT_EQ(dlg.OKButton->size(), QSize(77, 27));
    EXPECT_TRUE(dlg.OKButton->isDefault());
    EXPECT_EQ(dlg.Label1->text(), "Kestrelon im Internet:");
    EXPECT_EQ(dlg.Label2->text(), "EMail-Adresse:");
    EXPECT_EQ(dlg.Bevel2->width(), 364);
    EXPECT_EQ(dlg.lblHomepage->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(dlg.lblEMail->font().underline());
}

TEST(AboutBox, OkClosesWithResultOk) {
    TDlgInfo dlg;
    dlg.show();
    QTest::mouseClick(dlg.OKButton, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());
}

TEST(AboutBox, LinksOpenWebSiteAndMail) {
    TDlgInfo dlg;
    dlg.show();
    MessageCapture cap(true);
    QTest::mouseClick(dlg.lblHomepage, Qt::LeftButton);
    QTest::mouseClick(dlg.lblEMail, Qt::LeftButton);
    ASSERT_EQ(cap.Opened.size(), 2);
    EXPECT_EQ(cap.Opened[0], QUrl(TDlgInfo::kHomepage));
    EXPECT_EQ(cap.Opened[1].scheme(), "mailto");
    EXPECT_EQ(cap.Opened[1].path(), TDlgInfo::kEMail);
    EXPECT_TRUE(cap.Infos.isEmpty());
}

TEST(AboutBox, LinkFailuresShowTheirMessages) {
    TDlgInfo dlg;
    dlg.show();
    MessageCapture cap(false);
    QTest::mouseClick(dlg.lblHomepage, Qt::LeftButton);
    QTest::mouseClick(dlg.lblEMail, Qt::LeftButton);
    EXPECT_EQ(cap.Infos, (QStringList{"Der Internet-Browser konnte nicht geöffnet werden",
                                      "Es wurde kein installiertes EMail Programm gefunden"}));
}
