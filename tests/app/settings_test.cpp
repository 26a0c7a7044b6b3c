#include "uException.h"
#include "uZRRegistry.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The raw text of the settings file behind the product store.
QString SettingsFileText() {
    ZRRegIniFile().Flush();
    QFile f(ZRRegIniFile().FileName());
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

// Switches the default locale for one test.
class LocaleGuard {
public:
    explicit LocaleGuard(const QLocale& loc) : old_(QLocale()) { QLocale::setDefault(loc); }
    ~LocaleGuard() { QLocale::setDefault(old_); }

private:
    QLocale old_;
};

} // namespace

TEST(Settings, StoreLivesInThePrivateTestHome) {
    const QString file = QFileInfo(ZRRegIniFile().FileName()).absoluteFilePath();
    EXPECT_TRUE(file.startsWith(QFileInfo(TestSupport::TempHome()).absoluteFilePath()))
        << qPrintable(file);
    EXPECT_EQ(ZRRegIniFile().KeyPath(QString()), QStringLiteral("Software\\Kestrelon\\Velamor"));
    EXPECT_EQ(ZRRegIniFile().KeyPath("Mainform"),
              QStringLiteral("Software\\Kestrelon\\Velamor\\Mainform"));
}

TEST(Settings, IntegersAreDecimalStrings) {
    TZRRegIniFile& s = ZRRegIniFile();
    s.WriteInteger("IntTest", "Five", 5);
    s.WriteInteger("IntTest", "Negative", -2147483647 - 1);
    EXPECT_EQ(s.ReadInteger("IntTest", "Five", 0), 5);
    EXPECT_EQ(s.ReadInteger("IntTest", "Negative", 0), -2147483647 - 1);
    EXPECT_TRUE(SettingsFileText().contains(QStringLiteral("Five=5\n")))
        << qPrintable(SettingsFileText());

    // What the settings object itself sees is a string.
    QSettings raw("Kestrelon", "Velamor");
    EXPECT_EQ(raw.value("IntTest/Five").typeId(), QMetaType::QString);

    s.WriteString("IntTest", "Bad", "abc");
    s.WriteString("IntTest", "TooBig", "99999999999");
    s.WriteString("IntTest", "Spaced", " 12 ");
    EXPECT_EQ(s.ReadInteger("IntTest", "Bad", 77), 77);
    EXPECT_EQ(s.ReadInteger("IntTest", "TooBig", 77), 77);
    EXPECT_EQ(s.ReadInteger("IntTest", "Spaced", 77), 12);
    EXPECT_EQ(s.ReadInteger("IntTest", "Missing", -3), -3);
    EXPECT_EQ(s.ReadInteger("NoSuchSection", "Missing", 42), 42);
}

TEST(Settings, BooleansAreZeroAndOne) {
    TZRRegIniFile& s = ZRRegIniFile();
    s.WriteBool("BoolTest", "On", true);
    s.WriteBool("BoolTest", "Off", false);
    EXPECT_EQ(s.ReadString("BoolTest", "On", "x"), "1");
    EXPECT_EQ(s.ReadString("BoolTest", "Off", "x"), "0");
    EXPECT_TRUE(s.ReadBool("BoolTest", "On", false));
    EXPECT_FALSE(s.ReadBool("BoolTest", "Off", true));
    EXPECT_TRUE(s.ReadBool("BoolTest", "Missing", true));
    s.WriteInteger("BoolTest", "Seven", 7);
    EXPECT_TRUE(s.ReadBool("BoolTest", "Seven", false));
    s.WriteString("BoolTest", "Junk", "ja");
    EXPECT_TRUE(s.ReadBool("BoolTest", "Junk", true));
    EXPECT_FALSE(s.ReadBool("BoolTest", "Junk", false));
}

TEST(Settings, FloatsFollowTheUserLocale) {
    TZRRegIniFile& s = ZRRegIniFile();
    {
        LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
        s.WriteFloat("Drucker\\Test", "OffsetX", 2.5);
        s.WriteFloat("Drucker\\Test", "Large", 1234.5);
        s.WriteFloat("Drucker\\Test", "Small", -0.1);
        EXPECT_EQ(s.ReadString("Drucker\\Test", "OffsetX", QString()), "2,5");
        EXPECT_EQ(s.ReadString("Drucker\\Test", "Large", QString()), "1234,5");
        EXPECT_DOUBLE_EQ(s.ReadFloat("Drucker\\Test", "OffsetX", 0), 2.5);
        EXPECT_DOUBLE_EQ(s.ReadFloat("Drucker\\Test", "Large", 0), 1234.5);
        EXPECT_DOUBLE_EQ(s.ReadFloat("Drucker\\Test", "Small", 0), -0.1);
        // A float32 offset comes back as the same float32.
        s.WriteFloat("Drucker\\Test", "Single", static_cast<double>(0.3f));
        EXPECT_EQ(static_cast<float>(s.ReadFloat("Drucker\\Test", "Single", 0)), 0.3f);
    }
    {
        LocaleGuard english(QLocale(QLocale::English, QLocale::UnitedStates));
        s.WriteFloat("FloatTest", "Half", 0.5);
        EXPECT_EQ(s.ReadString("FloatTest", "Half", QString()), "0.5");
        s.WriteFloat("FloatTest", "Big", 1234567.25);
        EXPECT_EQ(s.ReadString("FloatTest", "Big", QString()), "1234567.25");
        EXPECT_DOUBLE_EQ(s.ReadFloat("FloatTest", "Big", 0), 1234567.25);
        // Written under the German format, read under the English one.
        EXPECT_DOUBLE_EQ(s.ReadFloat("Drucker\\Test", "OffsetX", 0), 2.5);
        s.WriteString("FloatTest", "Grouped", "1,234.5");
        EXPECT_DOUBLE_EQ(s.ReadFloat("FloatTest", "Grouped", 7), 7);
    }
    s.WriteString("FloatTest", "Bad", "zwei");
    s.WriteString("FloatTest", "Empty", "");
    s.WriteString("FloatTest", "NotANumber", "nan");
    EXPECT_DOUBLE_EQ(s.ReadFloat("FloatTest", "Bad", 20), 20);
    EXPECT_DOUBLE_EQ(s.ReadFloat("FloatTest", "Empty", 10), 10);
    EXPECT_DOUBLE_EQ(s.ReadFloat("FloatTest", "NotANumber", 10), 10);
    EXPECT_DOUBLE_EQ(s.ReadFloat("FloatTest", "Missing", 10), 10);
}

TEST(Settings, StringsKeepTheirText) {
    TZRRegIniFile& s = ZRRegIniFile();
    const QString tricky = QStringLiteral("C:\\Bilder\\Urlaub, Sommer; \"Ärger\" = 100%");
    s.WriteString("OpenPicture", "LastDir", tricky);
    s.WriteString("OpenPicture", "EmptyValue", QString());
    EXPECT_EQ(s.ReadString("OpenPicture", "LastDir", QString()), tricky);
    EXPECT_EQ(s.ReadString("OpenPicture", "EmptyValue", "default"), QString());
    EXPECT_EQ(s.ReadString("OpenPicture", "Missing", "default"), "default");
}

TEST(Settings, BinaryRoundTrip) {
    TZRRegIniFile& s = ZRRegIniFile();
    QByteArray block;
    for (int i = 0; i < 300; ++i)
        block.append(static_cast<char>(i * 7));
    s.WriteBinaryData("Drucker\\Bin", "DevMode", block.constData(), static_cast<int>(block.size()));
    EXPECT_EQ(s.DataSize("Drucker\\Bin", "DevMode"), 300);
    QByteArray back(300, '\0');
    EXPECT_EQ(s.ReadBinaryData("Drucker\\Bin", "DevMode", back.data(), 300), 300);
    EXPECT_EQ(back, block);

    // A short buffer takes what fits and nothing beyond it.
    QByteArray small(11, 'x');
    EXPECT_EQ(s.ReadBinaryData("Drucker\\Bin", "DevMode", small.data(), 10), 10);
    EXPECT_EQ(small.left(10), block.left(10));
    EXPECT_EQ(small.at(10), 'x');

    EXPECT_EQ(s.DataSize("Drucker\\Bin", "Missing"), 0);
    EXPECT_EQ(s.ReadBinaryData("Drucker\\Bin", "Missing", back.data(), 300), 0);
    EXPECT_TRUE(s.ReadBinary("Drucker\\Bin", "Missing").isEmpty());
}

TEST(Settings, NestedSectionsAndErase) {
    TZRRegIniFile& s = ZRRegIniFile();
    s.WriteString("OpenPicture\\LastDirs", "Dir0", "/a");
    s.WriteString("OpenPicture\\LastDirs", "Dir1", "/b");
    s.WriteInteger("OpenPicture", "TreeWidth", 250);
    // The nested section is a group inside its parent.
    QSettings raw("Kestrelon", "Velamor");
    EXPECT_EQ(raw.value("OpenPicture/LastDirs/Dir1").toString(), "/b");
    EXPECT_FALSE(s.ValueExists("OpenPicture", "Dir0"));

    s.EraseSection("OpenPicture\\LastDirs");
    EXPECT_EQ(s.ReadString("OpenPicture\\LastDirs", "Dir0", "gone"), "gone");
    EXPECT_EQ(s.ReadInteger("OpenPicture", "TreeWidth", 200), 250);

    s.WriteString("Erase", "A", "1");
    s.WriteString("Erase\\Deeper", "B", "2");
    s.EraseSection("Erase");
    EXPECT_FALSE(s.ValueExists("Erase", "A"));
    EXPECT_FALSE(s.ValueExists("Erase\\Deeper", "B"));
    s.EraseSection("NeverWritten"); // nothing to do, no error

    s.WriteString("", "RootValue", "r");
    EXPECT_EQ(raw.value("RootValue").toString(), "r");
    EXPECT_EQ(s.ReadString(QString(), "RootValue", QString()), "r");
}

TEST(Settings, WriteThatCannotBeStoredRaises) {
    // A settings "file" that is a folder can never be written.
    const QString dir = TestSupport::NewTempDir() + "/blocked.ini";
    ASSERT_TRUE(QDir().mkpath(dir));
    TZRRegIniFile s(std::make_unique<QSettings>(dir, QSettings::IniFormat),
                    "Software\\Kestrelon\\Velamor");
    try {
        s.WriteInteger("Mainform", "Left", 1);
        FAIL() << "write succeeded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral(
                      "Erzeugung von Schlüssel Software\\Kestrelon\\Velamor\\Mainform misslungen"));
    }
    EXPECT_EQ(s.ReadInteger("Mainform", "Left", 9), 9);
}

TEST(Settings, InstallDirAndDataFolder) {
    ASSERT_TRUE(WriteInstallDir());
    const QString install = ZRRegIniFile().ReadString(QString(), "InstallDir", QString());
    EXPECT_EQ(install, InstallDir());
    EXPECT_TRUE(install.endsWith(QDir::separator()));
    EXPECT_EQ(QDir(install).canonicalPath(),
              QDir(QCoreApplication::applicationDirPath()).canonicalPath());

    const QString data = DataFolder();
    EXPECT_TRUE(data.endsWith(QDir::separator())) << qPrintable(data);
    EXPECT_TRUE(QDir::fromNativeSeparators(data).endsWith("/Kestrelon/Velamor/"))
        << qPrintable(data);
    EXPECT_TRUE(QFileInfo(data).isDir());
    EXPECT_TRUE(QFileInfo(data).absoluteFilePath().startsWith(
        QFileInfo(TestSupport::TempHome()).absoluteFilePath()));
}

TEST(Settings, DebugViewerKeyIsSeparate) {
    TZRRegIniFile& d = DebugWin32Key();
    EXPECT_EQ(d.KeyPath(QString()), QStringLiteral("Software\\Kestrelon\\DebugWin32"));
    EXPECT_NE(QFileInfo(d.FileName()).absoluteFilePath(),
              QFileInfo(ZRRegIniFile().FileName()).absoluteFilePath());
}
