#pragma once
// The picture position control: shows the picture of one photo area of the
// sheet. The picture always covers the whole area (scaled to cover, cropped
// in one direction); the user pans it with the mouse, magnifies it by a zoom
// factor, turns it in quarter turns and exchanges it with the clipboard in a
// private format that keeps crop and zoom.

#include "uPicLayout.h"
#include "uSheetJob.h"
#include "uZRDib.h"

#include <QColor>
#include <QWidget>

#include <functional>
#include <memory>

class QMimeData;
class QPainter;

class TPicPreview : public QWidget, public IPrintPosition {
    Q_OBJECT
public:
    explicit TPicPreview(QWidget* parent = nullptr);
    ~TPicPreview() override;

    // Magnification on top of the cover fit; values <= 1 mean none. Writing
    // re-lays out and repaints; the pan position stays a fraction, so zooming
    // magnifies around the same relative point.
    double Zoom() const { return zoom_; }
    void SetZoom(double zoom);

    // Pan positions 0..1: 0 = the picture's left (top) edge on the area's,
    // 1 = its right (bottom) edge on the area's, 0.5 = centred. Stored when a
    // drag ends.
    double VerschiebungX() const { return verschiebungX_; }
    double VerschiebungY() const { return verschiebungY_; }

    // The file of the current picture; empty for pictures that came from
    // elsewhere. Writing loads the file (errors pass through unchanged and
    // leave the control as it was), resets zoom and centres the picture.
    QString FileName() const { return fileName_; }
    void SetFileName(const QString& fileName);

    // When set, a file loaded through SetFileName is turned a quarter turn
    // counter-clockwise if its orientation differs from the area's.
    bool AutoRotate = false;

    // The selected position: drawn with a heavy blue frame.
    bool Active() const { return active_; }
    void SetActive(bool active);

    // The background of an empty position.
    QColor Color() const { return color_; }
    void SetColor(const QColor& color);

    bool HasPicture() const override;

    // Quarter turns; they reset zoom and pan. A turn that fails (no memory)
    // keeps the picture and raises an Exception.
    void RotateLeft();  // +90 degrees (counter-clockwise)
    void RotateRight(); // -90 degrees
    void Rotate180();

    // Drops the picture; true when there was one.
    bool Clear();

    void CutToClipboard();
    void CopyToClipboard();
    // Tries the private format, then an image another program placed on the
    // clipboard; does nothing for anything else. A private block that cannot
    // be read leaves the position as it is and shows "Bild konnte nicht
    // eingefügt werden.\r\n" with the reason.
    void PasteFromClipboard();
    // True when the clipboard holds something PasteFromClipboard takes.
    static bool CanPaste();

    // The part of the picture (picture pixels) the area shows, clipped to the
    // picture; empty without a picture.
    TIntRect VisibleSourceRect() const;
    // Draws the visible part of the picture into rect of any painter.
    void PrintTo(QPainter& painter, const QRect& rect);
    // Prints the visible part of the picture into the device rectangle of
    // the device's running job (the sheet print job).
    void PrintTo(TPrintDevice& device, const TPrintRect& rect) override;

    TZRDib& Dib() { return *dib_; }
    const TZRDib& Dib() const { return *dib_; }

    // The current layout (display size, ranges, offsets).
    const TPicLayout& PicLayout() const { return layout_; }
    bool Dragging() const { return dragging_; }

    // The hint of an empty position and the font it is drawn with.
    static QString HintText();
    QFont HintFont() const;

    // Events for the main window. The handlers are optional.
    std::function<void(TPicPreview*, QMouseEvent*)> OnMouseDown;
    std::function<void(TPicPreview*)> OnDblClick;
    // Context-menu request at the given global position.
    std::function<void(TPicPreview*, const QPoint&)> OnContextPopup;
    // A wheel turn; answers whether it was handled (otherwise it goes on to
    // the parent).
    std::function<bool(TPicPreview*, QWheelEvent*)> OnMouseWheel;
    // A picture file dropped from the file manager. Without a handler the
    // control loads it itself without turning it.
    std::function<void(TPicPreview*, const QString&)> OnFileDrop;
    // Shows the message of a failed paste; without a handler the error box.
    std::function<void(const QString&)> OnMessage;

    // The file name extensions the program reads, lower case without dot.
    static QStringList PictureExtensions();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void RelayoutPicture();
    void Rotate(int degrees);
    void ImportProgress(int percent);
    void DrawProgress(QPainter& painter);
    static QString DroppedPicture(const QMimeData* data);

    std::unique_ptr<TZRDib> dib_;
    TPicLayout layout_;
    double zoom_ = 1.0;
    double verschiebungX_ = 0;
    double verschiebungY_ = 0;
    QString fileName_;
    bool active_ = false;
    QColor color_;
    bool dragging_ = false;
    QPoint lastMouse_;
    int progress_ = -1; // import progress while a file loads, else -1
};
