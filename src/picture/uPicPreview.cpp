#include "uPicPreview.h"

#include "uClipboardUtils.h"
#include "uException.h"
#include "uLeonardo.h"
#include "uMessage.h"
#include "uPicArtwork.h"
#include "uPicClipStream.h"
#include "uPrintDIB.h"
#include "uRound.h"
#include "zrtextwrap.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QUrl>
#include <QWheelEvent>

#include <new>

namespace {

// Shows the hourglass while it lives, also when an exception passes.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

QRect ToQRect(const TIntRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

} // namespace

TPicPreview::TPicPreview(QWidget* parent)
    : QWidget(parent), dib_(std::make_unique<TZRDib>()), color_(palette().color(QPalette::Base)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    dib_->OnProgress = [this](TZRDib&, std::int32_t percent) { ImportProgress(percent); };
    dib_->OnChange = [this](TZRDib&) {
        RelayoutPicture();
        update();
    };
}

TPicPreview::~TPicPreview() {
    // The picture's events point at this control.
    dib_->OnProgress = nullptr;
    dib_->OnChange = nullptr;
}

bool TPicPreview::HasPicture() const {
    return !dib_->Handle().IsEmpty();
}

void TPicPreview::SetZoom(double zoom) {
    zoom_ = zoom;
    RelayoutPicture();
    update();
}

void TPicPreview::SetActive(bool active) {
    if (active_ == active)
        return;
    active_ = active;
    update();
}

void TPicPreview::SetColor(const QColor& color) {
    color_ = color;
    update();
}

void TPicPreview::RelayoutPicture() {
    if (!HasPicture()) {
        layout_ = TPicLayout{};
        unsetCursor();
        return;
    }
    layout_ = LayoutPicture(dib_->Width(), dib_->Height(), width(), height(), zoom_, verschiebungX_,
                            verschiebungY_);
    if (layout_.CanPan())
        setCursor(PanCursor());
    else
        unsetCursor();
}

void TPicPreview::SetFileName(const QString& fileName) {
    {
        // The progress bar shows while the import runs, also when it fails.
        struct TProgressEnd {
            TPicPreview* self;
            ~TProgressEnd() {
                self->progress_ = -1;
                self->update();
            }
        } progressEnd{this};
        dib_->LoadFromFile(fileName); // errors pass through; nothing changed then
    }
    if (!HasPicture()) {
        fileName_.clear();
        return;
    }
    fileName_ = fileName;
    zoom_ = 1.0;
    verschiebungX_ = verschiebungY_ = 0.5;
    if (AutoRotate && NeedsAutoRotate(dib_->Width(), dib_->Height(), width(), height())) {
        TDib turned = RotateDIB(dib_->Handle(), 900, 0xFFFFFF);
        if (!turned.IsEmpty())
            dib_->SetHandle(std::move(turned));
    }
    RelayoutPicture();
    update();
}

void TPicPreview::ImportProgress(int percent) {
    progress_ = percent;
    // Only once the window exists; painted at once, as the import holds the
    // event loop.
    if (isVisible())
        repaint();
}

void TPicPreview::RotateLeft() {
    Rotate(90);
}

void TPicPreview::RotateRight() {
    Rotate(-90);
}

void TPicPreview::Rotate180() {
    Rotate(180);
}

void TPicPreview::Rotate(int degrees) {
    TWaitCursor wait;
    zoom_ = 1.0;
    verschiebungX_ = verschiebungY_ = 0.5;
    if (!HasPicture())
        return;
    TDib turned = RotateDIB(dib_->Handle(), degrees * 10, 0xFFFFFF);
    if (turned.IsEmpty()) {
        // The picture stays as it was rather than being lost.
        RelayoutPicture();
        update();
        throw Exception(QStringLiteral("Das Bild konnte nicht gedreht werden."));
    }
    dib_->SetHandle(std::move(turned));
    RelayoutPicture();
    update();
}

bool TPicPreview::Clear() {
    const bool had = HasPicture();
    dragging_ = false;
    dib_->SetHandle(TDib());
    fileName_.clear();
    RelayoutPicture();
    update();
    return had;
}

void TPicPreview::CopyToClipboard() {
    if (!HasPicture())
        return;
    CopyStreamToClipboard(
        PicPreviewClipboardFormat(),
        WritePicClipStream(verschiebungX_, verschiebungY_, zoom_, fileName_, dib_->Handle()));
}

void TPicPreview::CutToClipboard() {
    if (!HasPicture())
        return;
    CopyToClipboard();
    Clear();
}

bool TPicPreview::CanPaste() {
    if (ClipboardHasFormat(PicPreviewClipboardFormat()))
        return true;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasImage();
}

void TPicPreview::PasteFromClipboard() {
    const QString format = PicPreviewClipboardFormat();
    if (ClipboardHasFormat(format)) {
        // The whole block is read and checked before the position changes, so
        // data that cannot be pasted leaves the picture that is there.
        QString reason;
        try {
            QByteArray stream;
            CopyStreamFromClipboard(format, stream);
            TPicClipData d = ReadPicClipStream(stream);
            dragging_ = false;
            verschiebungX_ = d.VerschiebungX;
            verschiebungY_ = d.VerschiebungY;
            zoom_ = d.Zoom;
            dib_->SetHandle(std::move(d.Dib));
            dib_->SetFileName(d.FileName);
            fileName_ = d.FileName;
            RelayoutPicture();
            update();
        } catch (const Exception& e) {
            reason = e.Message();
        } catch (const std::bad_alloc&) {
            reason = QStringLiteral("Nicht genügend Speicher");
        }
        if (!reason.isEmpty()) {
            const QString text = QStringLiteral("Bild konnte nicht eingefügt werden.\r\n") + reason;
            if (OnMessage)
                OnMessage(text);
            else
                Msg::ShowError(window(), text);
        }
        return;
    }
    // A picture another program placed on the clipboard.
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasImage())
        return;
    const QImage image = qvariant_cast<QImage>(data->imageData());
    if (image.isNull())
        return;
    TDib dib = DIBFromBitmap(image);
    if (dib.IsEmpty())
        return;
    dragging_ = false;
    dib_->SetHandle(std::move(dib));
    zoom_ = 1.0;
    fileName_.clear();
    RelayoutPicture();
    update();
}

TIntRect TPicPreview::VisibleSourceRect() const {
    if (!HasPicture())
        return {};
    return ::VisibleSourceRect(dib_->Width(), dib_->Height(), width(), height(), layout_);
}

void TPicPreview::PrintTo(QPainter& painter, const QRect& rect) {
    const TIntRect src = VisibleSourceRect();
    if (src.IsEmpty())
        return;
    dib_->DrawRect(painter, rect, ToQRect(src));
}

void TPicPreview::PrintTo(TPrintDevice& device, const TPrintRect& rect) {
    const TIntRect src = VisibleSourceRect();
    if (src.IsEmpty())
        return;
    PrintDIB(device, dib_->Handle(), rect, TPrintRect{src.left, src.top, src.right, src.bottom},
             device.Monochrome());
}

QString TPicPreview::HintText() {
    return QStringLiteral("Klicken Sie zum Öffnen des Menüs mit der rechten Maustaste");
}

QFont TPicPreview::HintFont() const {
    QFont f = font();
    if (width() - 10 < 100) {
        QFont arial(QStringLiteral("Arial"));
        if (f.pointSizeF() > 0)
            arial.setPointSizeF(std::max(1.0, f.pointSizeF() - 1));
        else
            arial.setPixelSize(std::max(1, f.pixelSize() - 1));
        return arial;
    }
    return f;
}

void TPicPreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect client = rect();
    if (HasPicture() && !layout_.IsEmpty()) {
        const TIntRect src =
            PaintSourceRect(dib_->Width(), dib_->Height(), width(), height(), layout_);
        p.fillRect(client, color_); // behind any rounding gap at the edges
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        dib_->DrawRect(p, client, ToQRect(src));
    } else {
        p.fillRect(client, color_);
        p.setFont(HintFont());
        p.setPen(QColor(192, 192, 192));
        DrawWrappedText(p, HintText(), client.adjusted(5, 5, -5, -5), waCenter, waMiddle);
    }
    if (progress_ >= 0)
        DrawProgress(p);
    // The frame: heavy blue for the selected position.
    p.setBrush(Qt::NoBrush);
    if (active_) {
        QPen pen(QColor(0, 0, 255), 3);
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
        p.drawRect(QRectF(client).adjusted(1.5, 1.5, -1.5, -1.5));
    } else {
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(client.adjusted(0, 0, -1, -1));
    }
}

void TPicPreview::DrawProgress(QPainter& painter) {
    const int half = height() / 2;
    const QRect bar(QPoint(5, half - 5), QPoint(width() - 5 - 1, half + 5 - 1));
    if (bar.width() <= 0 || bar.height() <= 0)
        return;
    // Composed off-screen, then copied in one piece.
    QPixmap pm(bar.size());
    QPainter b(&pm);
    const QColor shadow = palette().color(QPalette::Dark);
    b.fillRect(pm.rect(), palette().color(QPalette::Base));
    b.setPen(shadow);
    b.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    const QRect inner = pm.rect().adjusted(2, 2, -2, -2);
    const int done = MulDiv(inner.width(), std::clamp(progress_, 0, 100), 100);
    if (done > 0) {
        b.setBrush(QColor(128, 128, 128));
        b.drawRect(QRect(inner.left(), inner.top(), done, inner.height()).adjusted(0, 0, -1, -1));
    }
    b.end();
    painter.drawPixmap(bar.topLeft(), pm);
}

void TPicPreview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    RelayoutPicture();
}

void TPicPreview::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (OnMouseDown)
        OnMouseDown(this, event);
    if (event->button() == Qt::LeftButton) {
        lastMouse_ = event->position().toPoint();
        dragging_ = true;
    }
}

void TPicPreview::mouseDoubleClickEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    dragging_ = false; // a double click starts no drag and ends a running one
    if (event->button() == Qt::LeftButton && OnDblClick)
        OnDblClick(this);
}

void TPicPreview::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_)
        return;
    const QPoint pos = event->position().toPoint();
    const std::int32_t ox = PanOffset(layout_.OffsetX, pos.x() - lastMouse_.x(), layout_.RangeX);
    const std::int32_t oy = PanOffset(layout_.OffsetY, pos.y() - lastMouse_.y(), layout_.RangeY);
    lastMouse_ = pos;
    if (ox != layout_.OffsetX || oy != layout_.OffsetY) {
        layout_.OffsetX = ox;
        layout_.OffsetY = oy;
        update();
    }
}

void TPicPreview::mouseReleaseEvent(QMouseEvent*) {
    if (!dragging_)
        return;
    dragging_ = false;
    if (!HasPicture())
        return;
    verschiebungX_ = PanFraction(layout_.OffsetX, layout_.RangeX);
    verschiebungY_ = PanFraction(layout_.OffsetY, layout_.RangeY);
}

void TPicPreview::wheelEvent(QWheelEvent* event) {
    if (OnMouseWheel && OnMouseWheel(this, event))
        event->accept();
    else
        event->ignore();
}

void TPicPreview::contextMenuEvent(QContextMenuEvent* event) {
    if (OnContextPopup) {
        OnContextPopup(this, event->globalPos());
        event->accept();
    } else {
        event->ignore();
    }
}

QStringList TPicPreview::PictureExtensions() {
    return {QStringLiteral("bmp"), QStringLiteral("dib"),  QStringLiteral("rle"),
            QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("jpe"),
            QStringLiteral("tif"), QStringLiteral("tiff"), QStringLiteral("pcx"),
            QStringLiteral("gif")};
}

QString TPicPreview::DroppedPicture(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QString file = urls.front().toLocalFile();
    const QFileInfo info(file);
    if (!info.isFile() || !PictureExtensions().contains(info.suffix().toLower()))
        return {};
    return file;
}

void TPicPreview::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedPicture(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TPicPreview::dropEvent(QDropEvent* event) {
    const QString file = DroppedPicture(event->mimeData());
    if (file.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    if (OnFileDrop) {
        OnFileDrop(this, file);
        return;
    }
    AutoRotate = false;
    SetFileName(file);
}
