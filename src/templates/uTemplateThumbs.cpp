#include "uTemplateThumbs.h"

#include "uScaler.h"
#include "uZROutlookbar.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

void DrawTemplateThumb(QImage& image, const TPaperTemplate& paper) {
    QPainter painter(&image);
    TScaleCanvas canvas(&painter);
    // 210 mm span the image width less 2 pixels, inset by one pixel.
    canvas.SetDevice(sdScreen);
    const int a = canvas.Length(210);
    const QSizeF size = image.deviceIndependentSize();
    if (a > 0)
        canvas.SetZoom(static_cast<float>((size.width() - 2) / a));
    canvas.SetOriginX(-1);
    canvas.SetOriginY(-1);

    painter.fillRect(QRectF(QPointF(0, 0), size), QApplication::palette().color(QPalette::Button));

    const QPen black(Qt::black);
    if (paper.Width != 210.0f || paper.Height != 297.0f) {
        // The outline of an A4 sheet for comparison.
        QPen dotted(black);
        dotted.setDashPattern({1, 1});
        canvas.SetBrush(Qt::NoBrush);
        canvas.SetPen(dotted);
        canvas.Rectangle(0, 0, 210, 297);
        canvas.SetPen(black);
    }
    canvas.SetBrush(Qt::white);
    canvas.SetPen(black);
    canvas.Rectangle(0, 0, paper.Width, paper.Height);
    canvas.SetPen(QPen(QColor(128, 128, 128)));
    for (const auto& area : paper.Positions)
        canvas.Rectangle(area->X, area->Y, area->X + area->Width, area->Y + area->Height);
    // The sheet's outline lies over the areas.
    canvas.SetBrush(Qt::NoBrush);
    canvas.SetPen(black);
    canvas.Rectangle(0, 0, paper.Width, paper.Height);
}

void FillBarFromCatalogue(TZROutlookBar& bar, const TTemplateList& templates,
                          const std::vector<TCatalogPanel>& panels) {
    // One work image, drawn at the screen's pixel density so that the
    // thumbnails stay sharp on high-resolution screens.
    const qreal dpr = bar.devicePixelRatioF();
    QImage work(QSize(ThumbWidth, ThumbHeight) * dpr, QImage::Format_RGB32);
    work.setDevicePixelRatio(dpr);
    for (const TCatalogPanel& group : panels) {
        TZROutlookBarPanel* panel = bar.AddPanel(group.Caption);
        for (int n : group.Templates) {
            if (n < 0 || n >= static_cast<int>(templates.size()))
                continue;
            const TPaperTemplate& paper = *templates[static_cast<size_t>(n)];
            DrawTemplateThumb(work, paper);
            panel->AddItem(paper.Caption, paper.Description, n, QPixmap::fromImage(work));
        }
    }
    for (size_t i = 0; i < panels.size() && i < static_cast<size_t>(bar.PanelCount()); ++i)
        bar.Panel(static_cast<int>(i))->SetColor(panels[i].Color);
}
