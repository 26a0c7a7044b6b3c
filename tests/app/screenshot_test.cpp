// Makes the README's screenshot of a filled sheet. Skipped unless
// VELAMOR_SCREENSHOT names the PNG file to write; best run on a real X server:
//   DISPLAY=:97 QT_QPA_PLATFORM=xcb VELAMOR_SCREENSHOT=docs/screenshot.png
//     ./app_positions_tests --gtest_filter=Screenshot.*

#include "FMaster.h"
#include "TestSupport.h"
#include "uPositions.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

TEST(Screenshot, FilledSheet) {
    const QString out = qEnvironmentVariable("VELAMOR_SCREENSHOT");
    if (out.isEmpty())
        GTEST_SKIP() << "set VELAMOR_SCREENSHOT to the file to write";
    // Pictures made by ImageMagick from its built-in samples and patterns.
    const QString dir = TestSupport::NewTempDir();
    const QList<QStringList> sources = {
        {QStringLiteral("-size"), QStringLiteral("900x600"), QStringLiteral("plasma:fractal"),
         QStringLiteral("-blur"), QStringLiteral("0x2")},
        {QStringLiteral("-size"), QStringLiteral("900x600"),
         QStringLiteral("plasma:steelblue-gold"), QStringLiteral("-blur"), QStringLiteral("0x1")},
        {QStringLiteral("-size"), QStringLiteral("600x800"),
         QStringLiteral("gradient:#ffb347-#1e3c72")},
        {QStringLiteral("wizard:")},
        {QStringLiteral("-size"), QStringLiteral("800x600"),
         QStringLiteral("radial-gradient:#fff6a0-#c0392b")},
        {QStringLiteral("logo:")},
    };
    QStringList files;
    for (int i = 0; i < sources.size(); ++i) {
        const QString f = dir + QStringLiteral("/bild%1.bmp").arg(i);
        if (TestSupport::Run(QStringLiteral("convert"), QStringList(sources[i])
                                                            << QStringLiteral("-type")
                                                            << QStringLiteral("TrueColor")
                                                            << QStringLiteral("BMP3:") + f) == 0)
            files << f;
    }
    ASSERT_FALSE(files.isEmpty());

    TMaster w;
    w.resize(900, 640);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    // A template with six areas or the next best.
    int chosen = 0;
    for (size_t i = 0; i < w.Templates.size(); ++i)
        if (w.Templates[i]->Count() == 6) {
            chosen = static_cast<int>(i);
            break;
        }
    w.SelectTemplate(chosen);
    TPositions& pos = *w.Positions;
    const int n = w.CurrentTemplate->Count();
    for (int i = 0; i < n; ++i) {
        TPicPreview* p = pos.PositionControls()[static_cast<size_t>(i)];
        p->AutoRotate = false;
        p->SetFileName(files[i % files.size()]);
    }
    pos.PositionControls()[0]->SetZoom(1.6);
    pos.SelectPosition(pos.PositionControls()[static_cast<size_t>(n > 1 ? 1 : 0)]);
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QTest::qWait(20);
    }
    ASSERT_TRUE(w.grab().save(out));
}
