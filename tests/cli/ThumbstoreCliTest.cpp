// velamor-cli thumbstore put/get against real store files.

#include "TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

const QString kCli = QStringLiteral(VELAMOR_CLI);

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The answer line of a run (the output may also hold Qt's warnings).
QByteArray Answer(const QByteArray& out) {
    for (const QByteArray& line : out.split('\n'))
        if (line.startsWith("found ") || line == "not found")
            return line;
    return out;
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(ThumbstoreCli, PutThenGet) {
    const QString dir = TestSupport::NewTempDir();
    const QString store = dir + "/TDTHUMB.DAT";
    QByteArray data(3000, '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7);
    WriteFile(dir + "/in.jpg", data);

    QByteArray out;
    EXPECT_EQ(TestSupport::Run(kCli,
                               {"thumbstore", "put", store, "/Bilder/Urlaub/img1.jpg",
                                dir + "/in.jpg", "--time", "45123.625", "--info", "4000,3000,24"},
                               &out),
              0)
        << out.constData();
    EXPECT_EQ(
        TestSupport::Run(
            kCli, {"thumbstore", "get", store, "/bilder/URLAUB/img1.JPG", dir + "/out.jpg"}, &out),
        0);
    EXPECT_EQ(Answer(out), "found 45123.625 4000 3000 24");
    EXPECT_EQ(ReadFile(dir + "/out.jpg"), data);

    EXPECT_EQ(TestSupport::Run(
                  kCli, {"thumbstore", "get", store, "/Bilder/other.jpg", dir + "/none.jpg"}, &out),
              0);
    EXPECT_EQ(Answer(out), "not found");
    EXPECT_FALSE(QFile::exists(dir + "/none.jpg"));
}

TEST(ThumbstoreCli, InvalidStoreExitsWithTheMessage) {
    const QString dir = TestSupport::NewTempDir();
    const QString bad = dir + "/bad.dat";
    QByteArray junk(2048, 'x');
    WriteFile(bad, junk);
    WriteFile(dir + "/in.jpg", "abc");
    QByteArray out;
    EXPECT_EQ(TestSupport::Run(kCli, {"thumbstore", "get", bad, "/a.jpg", dir + "/o"}, &out), 1);
    EXPECT_TRUE(out.contains("Stream is not a compound file: header invalid")) << out.constData();
    EXPECT_EQ(TestSupport::Run(kCli, {"thumbstore", "put", bad, "/a.jpg", dir + "/in.jpg"}, &out),
              1);
    EXPECT_TRUE(out.contains("Stream is not a compound file")) << out.constData();
    EXPECT_EQ(ReadFile(bad), junk); // untouched

    WriteFile(bad, QByteArray(1000, '\0'));
    EXPECT_EQ(TestSupport::Run(kCli, {"thumbstore", "get", bad, "/a.jpg", dir + "/o"}, &out), 1);
    EXPECT_TRUE(out.contains("wrong size")) << out.constData();
}

TEST(ThumbstoreCli, WrongArguments) {
    EXPECT_EQ(TestSupport::Run(kCli, {"thumbstore"}), 2);
    EXPECT_EQ(TestSupport::Run(kCli, {"thumbstore", "put", "a"}), 2);
    EXPECT_EQ(TestSupport::Run(kCli, {"thumbstore", "put", "a", "b", "c", "--time", "x"}), 2);
    EXPECT_EQ(TestSupport::Run(kCli, {"thumbstore", "put", "a", "b", "c", "--info", "1,2"}), 2);
}
