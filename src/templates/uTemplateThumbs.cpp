#include "uTemplateThumbs.h"

#include "uZROutlookbar.h"

#include <QPixmap>

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
