#include "TestSupport.h"
#include "uFileInfo.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(FileInfo, ProgramCarriesVersion2_0_1_6) {
    TFileInfo& info = FileInfo();
    EXPECT_EQ(&info, &FileInfo());
    EXPECT_EQ(info.FileName, QCoreApplication::applicationFilePath());
    ASSERT_TRUE(info.FileVersion);
    ASSERT_TRUE(info.ProductVersion);
    EXPECT_EQ(info.FileVersion->vv, 2);
    EXPECT_EQ(info.FileVersion->rr, 0);
    EXPECT_EQ(info.FileVersion->mm, 1);
    EXPECT_EQ(info.FileVersion->pp, 6);
    EXPECT_EQ(info.ProductVersion->vv, 2);
    EXPECT_EQ(info.ProductVersion->pp, 6);
    EXPECT_EQ(info.LanguageKey, "040704E4");
    EXPECT_TRUE(info.FileDate.isValid());
    EXPECT_EQ(info.FileDate, QFileInfo(info.FileName).lastModified());
}

TEST(FileInfo, EightStandardStrings) {
    const TFileInfo& info = FileInfo();
    EXPECT_EQ(info.CompanyName, "Kestrelon");
    EXPECT_EQ(info.InternalName, "velamor");
    EXPECT_EQ(info.ProductName, "Kestrelon Velamor");
    EXPECT_EQ(info.FileVersionText, "2.0.1.6");
    EXPECT_EQ(info.ProductVersionText, "2.0.1.6");
    EXPECT_TRUE(info.OriginalFilename.startsWith("velamor"));
    EXPECT_FALSE(info.FileDescription.isEmpty());
    EXPECT_TRUE(info.LegalCopyright.contains("Kestrelon"));
    for (const QString& s : {info.FileDescription, info.LegalCopyright, info.OriginalFilename})
        EXPECT_NE(s, "Nicht gefunden");
}

TEST(FileInfo, UnknownStringIsNotFound) {
    TFileInfo info;
    info.Load(QCoreApplication::applicationFilePath(), &ProgramVersionResource());
    EXPECT_EQ(info.QueryString("Comments"), "Nicht gefunden");
    EXPECT_FALSE(info.LastResult);
    EXPECT_EQ(info.QueryString("CompanyName"), "Kestrelon");
    EXPECT_TRUE(info.LastResult);
    // Another string table than the program's German one has nothing.
    info.LanguageKey = "040904E4";
    EXPECT_EQ(info.QueryString("CompanyName"), "Nicht gefunden");
}

TEST(FileInfo, VersionPartsKeepTheLowByteOfEachWord) {
    TVersionResource r;
    r.FileVersionMS = 0x0102'0304u;
    r.FileVersionLS = 0x01FF'0A10u;
    r.ProductVersionMS = 0x0003'0004u;
    r.ProductVersionLS = 0x0005'0006u;
    TFileInfo info;
    info.Load(QCoreApplication::applicationFilePath(), &r);
    ASSERT_TRUE(info.FileVersion);
    EXPECT_EQ(info.FileVersion->vv, 0x02);
    EXPECT_EQ(info.FileVersion->rr, 0x04);
    EXPECT_EQ(info.FileVersion->mm, 0xFF);
    EXPECT_EQ(info.FileVersion->pp, 0x10);
    EXPECT_EQ(info.ProductVersion->vv, 3);
    EXPECT_EQ(info.ProductVersion->pp, 6);
    // A block without strings reads every standard string as not found.
    EXPECT_EQ(info.CompanyName, "Nicht gefunden");
    EXPECT_EQ(info.ProductVersionText, "Nicht gefunden");
}

TEST(FileInfo, FileWithoutVersionInformation) {
    const QString file = TestSupport::NewTempDir() + "/plain.txt";
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    TFileInfo info;
    info.Load(file);
    EXPECT_FALSE(info.FileVersion);
    EXPECT_FALSE(info.ProductVersion);
    EXPECT_TRUE(info.CompanyName.isEmpty());
    EXPECT_EQ(info.QueryString("CompanyName"), "Nicht gefunden");
    EXPECT_FALSE(info.LastResult);
    EXPECT_TRUE(info.FileDate.isValid());
}

TEST(FileInfo, MissingFileHasNoDate) {
    TFileInfo info;
    info.Load(TestSupport::NewTempDir() + "/missing.exe");
    EXPECT_FALSE(info.FileDate.isValid());
    EXPECT_FALSE(info.FileVersion);
}

TEST(FileInfo, LoadingTheProgramFileByNameFindsItsVersion) {
    TFileInfo info;
    info.Load(QCoreApplication::applicationFilePath());
    ASSERT_TRUE(info.FileVersion);
    EXPECT_EQ(info.FileVersion->pp, 6);
}
