#include "uClipboardUtils.h"
#include "uException.h"
#include "uPicClipStream.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

TDib TestPicture(int w, int h) {
    TDib dib = TDib::Create(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = dib.Row(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(x * 7);
            p[1] = static_cast<std::uint8_t>(y * 13);
            p[2] = static_cast<std::uint8_t>(x + y);
        }
    return dib;
}

std::int32_t Int32At(const QByteArray& s, int off) {
    std::int32_t v;
    std::memcpy(&v, s.constData() + off, 4);
    return v;
}

void PutInt32At(QByteArray& s, int off, std::int32_t v) {
    std::memcpy(s.data() + off, &v, 4);
}

QString Reason(const QByteArray& s) {
    try {
        (void)ReadPicClipStream(s);
    } catch (const Exception& e) {
        return e.Message();
    }
    return QString();
}

} // namespace

TEST(PicClipStream, LayoutIsTheDocumentedByteStream) {
    const TDib dib = TestPicture(5, 3);
    const QByteArray s = WritePicClipStream(0.25, 0.75, 2.4, QStringLiteral("C:/b.jpg"), dib);
    ASSERT_EQ(s.size(), 32 + 8 + static_cast<int>(dib.Size()));
    double d;
    std::memcpy(&d, s.constData(), 8);
    EXPECT_EQ(d, 0.25);
    std::memcpy(&d, s.constData() + 8, 8);
    EXPECT_EQ(d, 0.75);
    std::memcpy(&d, s.constData() + 16, 8);
    EXPECT_EQ(d, 2.4);
    EXPECT_EQ(Int32At(s, 24), 8);
    EXPECT_EQ(s.mid(28, 8), QByteArray("C:/b.jpg"));
    EXPECT_EQ(Int32At(s, 36), static_cast<std::int32_t>(dib.Size()));
    EXPECT_EQ(std::memcmp(s.constData() + 40, dib.Data(), dib.Size()), 0);
}

TEST(PicClipStream, RoundTripKeepsEverything) {
    const TDib dib = TestPicture(17, 9);
    for (const QString& name : {QString(), QStringLiteral("/home/u/Bilder/Straße.jpg")}) {
        const TPicClipData d = ReadPicClipStream(WritePicClipStream(0.1, 0.9, 3.0, name, dib));
        EXPECT_EQ(d.VerschiebungX, 0.1);
        EXPECT_EQ(d.VerschiebungY, 0.9);
        EXPECT_EQ(d.Zoom, 3.0);
        EXPECT_EQ(d.FileName, name);
        ASSERT_EQ(d.Dib.Size(), dib.Size());
        EXPECT_EQ(std::memcmp(d.Dib.Data(), dib.Data(), dib.Size()), 0);
    }
}

TEST(PicClipStream, TrailingBytesOfARoundedBlockAreIgnored) {
    const TDib dib = TestPicture(3, 3);
    QByteArray s = WritePicClipStream(0.5, 0.5, 1.0, QString(), dib);
    s.append(QByteArray(13, '\0'));
    EXPECT_EQ(ReadPicClipStream(s).Dib.Size(), dib.Size());
}

TEST(PicClipStream, EveryTruncationIsRejected) {
    const TDib dib = TestPicture(4, 4);
    const QByteArray s = WritePicClipStream(0.5, 0.5, 1.0, QStringLiteral("a.bmp"), dib);
    for (int len = 0; len < s.size(); ++len) {
        // A copy of exactly len bytes, so the sanitizer sees any overread.
        const QByteArray cut(s.constData(), len);
        EXPECT_FALSE(Reason(cut).isEmpty()) << len;
    }
}

TEST(PicClipStream, DamagedLengthsAndValuesAreRejected) {
    const TDib dib = TestPicture(4, 4);
    const QByteArray good = WritePicClipStream(0.5, 0.5, 1.0, QStringLiteral("a.bmp"), dib);
    const int mOff = 28 + 5;

    QByteArray s = good;
    PutInt32At(s, 24, -1);
    EXPECT_EQ(Reason(s), QStringLiteral("Die Daten in der Zwischenablage sind beschädigt."));
    s = good;
    PutInt32At(s, 24, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(Reason(s), QStringLiteral("Die Daten in der Zwischenablage sind unvollständig."));
    s = good;
    PutInt32At(s, mOff, -40);
    EXPECT_FALSE(Reason(s).isEmpty());
    s = good;
    PutInt32At(s, mOff, static_cast<std::int32_t>(dib.Size()) + 1);
    EXPECT_EQ(Reason(s), QStringLiteral("Die Daten in der Zwischenablage sind unvollständig."));
    s = good;
    PutInt32At(s, mOff, 0);
    EXPECT_EQ(Reason(s), QStringLiteral("Die Zwischenablage enthält kein Bild."));
    // A header claiming a larger picture than the block holds.
    s = good;
    PutInt32At(s, mOff + 4 + 4, 100000);
    EXPECT_EQ(Reason(s), QStringLiteral("Die Bilddaten in der Zwischenablage sind beschädigt."));
    // A header that is no bitmap header at all.
    s = good;
    PutInt32At(s, mOff + 4, 12345);
    EXPECT_FALSE(Reason(s).isEmpty());

    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (double bad : {-0.1, 1.5, nan}) {
        s = good;
        std::memcpy(s.data(), &bad, 8);
        EXPECT_FALSE(Reason(s).isEmpty());
    }
    const double hugeZoom = 1e9;
    s = good;
    std::memcpy(s.data() + 16, &hugeZoom, 8);
    EXPECT_FALSE(Reason(s).isEmpty());
}

TEST(ClipboardUtils, StreamRoundTripUnderTheOwnFormatOnly) {
    const QByteArray payload("\x01\x02\x00\x03zr", 6);
    CopyStreamToClipboard(PicPreviewClipboardFormat(), payload);
    const QMimeData* md = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(md, nullptr);
    EXPECT_EQ(md->formats(), QStringList{PicPreviewClipboardFormat()});
    EXPECT_TRUE(ClipboardHasFormat(PicPreviewClipboardFormat()));
    QByteArray back("x");
    CopyStreamFromClipboard(PicPreviewClipboardFormat(), back);
    EXPECT_EQ(back, QByteArray("x") + payload);

    QGuiApplication::clipboard()->setText(QStringLiteral("nur Text"));
    EXPECT_FALSE(ClipboardHasFormat(PicPreviewClipboardFormat()));
    QByteArray none;
    CopyStreamFromClipboard(PicPreviewClipboardFormat(), none);
    EXPECT_TRUE(none.isEmpty());
}
