// Paste of a picture that another program placed on a real X server's
// clipboard. Runs only on the xcb platform with xclip available, e.g.
//   Xvfb :97 & DISPLAY=:97 QT_QPA_PLATFORM=xcb ./picture_x11_tests
// Under CTest (offscreen platform) it is skipped.

#include "TestSupport.h"
#include "uPicPreview.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

TEST(PicPreviewX11, PastesAPngThatXclipOwns) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs a real X server (QT_QPA_PLATFORM=xcb)";
    if (!TestSupport::HaveProgram(QStringLiteral("xclip")) ||
        !TestSupport::HaveProgram(QStringLiteral("convert")))
        GTEST_SKIP() << "needs xclip and ImageMagick";

    const QString png = TestSupport::NewTempDir() + QStringLiteral("/fremd.png");
    ASSERT_EQ(TestSupport::Run(QStringLiteral("convert"),
                               {QStringLiteral("-size"), QStringLiteral("64x48"),
                                QStringLiteral("xc:#10c020"), png}),
              0);
    // xclip stays in the background as the clipboard's owner until another
    // program takes the clipboard.
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"),
                {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                 QStringLiteral("image/png"), QStringLiteral("-i"), png});
    ASSERT_TRUE(xclip.waitForStarted());
    // Wait until the X server reports the new owner's formats to us.
    QDeadlineTimer deadline(10000);
    while (!TPicPreview::CanPaste() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(50);
    }
    ASSERT_TRUE(TPicPreview::CanPaste()) << "xclip's picture never showed up";

    TPicPreview p;
    p.resize(120, 80);
    p.show();
    p.PasteFromClipboard();
    ASSERT_TRUE(p.HasPicture());
    EXPECT_EQ(p.Dib().Width(), 64);
    EXPECT_EQ(p.Dib().Height(), 48);
    EXPECT_TRUE(p.FileName().isEmpty());
    const std::uint8_t* px = p.Dib().Handle().Row(10) + 3 * 10;
    EXPECT_EQ(px[0], 0x20); // blue
    EXPECT_EQ(px[1], 0xc0); // green
    EXPECT_EQ(px[2], 0x10); // red

    // Our own copy takes the clipboard over; xclip then leaves.
    p.CopyToClipboard();
    if (!xclip.waitForFinished(5000))
        xclip.kill();
    xclip.waitForFinished();
}
