#pragma once
// Millimetre-to-pixel scaling for the unit device, the screen and the current
// printer, and drawing with millimetre coordinates on a QPainter.
//
// All millimetre values are 32-bit floats; conversions round to the nearest
// pixel, halves to the even neighbour:
//   X(x) = round((x + OffsetX) * ScaleX) - ShiftX
//   Y(y) = round((y + OffsetY) * ScaleY) - ShiftY
//   Length(l) = round(l * ScaleY)          (lengths use the vertical scale)
// with ScaleX = PixelsPerMMX * Zoom, ScaleY = Zoom * PixelsPerMMY,
// ShiftX = OriginX + DeviceOffsetX, ShiftY = OriginY + DeviceOffsetY.

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>

class QPainter;

// Kinds of device for SetDevice.
enum TScaleDevice : int { sdUnit = 0, sdScreen = 1, sdPrinter = 2 };

class TCustomScaler {
public:
    TCustomScaler();
    virtual ~TCustomScaler() = default;

    // Recomputes the derived shifts and scales; every setter calls it.
    virtual void Recalculate();
    virtual void SetZoom(float z);
    // Resets zoom to 1 and every origin and offset to 0, then takes the
    // resolution of the device: sdUnit 1 pixel per mm; sdScreen the primary
    // screen's logical resolution; sdPrinter the current printer's logical
    // resolution and its unprintable left and top strip as device offsets
    // (the screen's resolution and no offsets while no printer is installed).
    // Other kinds keep the resolution.
    virtual void SetDevice(int kind);

    void SetOriginX(std::int32_t v);
    void SetOriginY(std::int32_t v);
    void SetOffsetX(float v);
    void SetOffsetY(float v);
    void SetDeviceOffsetX(std::int32_t v);
    void SetDeviceOffsetY(std::int32_t v);
    void SetPixelsPerMMX(float v);
    void SetPixelsPerMMY(float v);

    std::int32_t OriginX() const { return originX_; }
    std::int32_t OriginY() const { return originY_; }
    float OffsetX() const { return offsetX_; }
    float OffsetY() const { return offsetY_; }
    std::int32_t DeviceOffsetX() const { return deviceOffsetX_; }
    std::int32_t DeviceOffsetY() const { return deviceOffsetY_; }
    float PixelsPerMMX() const { return pixelsPerMMX_; }
    float PixelsPerMMY() const { return pixelsPerMMY_; }
    float Zoom() const { return zoom_; }
    std::int32_t ShiftX() const { return shiftX_; }
    std::int32_t ShiftY() const { return shiftY_; }
    float ScaleX() const { return scaleX_; }
    float ScaleY() const { return scaleY_; }

    std::int32_t X(float x) const;
    std::int32_t Y(float y) const;
    std::int32_t Length(float l) const;
    // The device rectangle from (X(x1), Y(y1)) to (X(x2), Y(y2)); the right
    // and bottom edges (x() + width(), y() + height()) are X(x2) and Y(y2).
    QRect Rect(float x1, float y1, float x2, float y2) const;
    // p / ScaleY in mm (0 while the scale is 0).
    float PixelsToMM(std::int32_t p) const;

protected:
    std::int32_t originX_ = 0;
    std::int32_t originY_ = 0;
    float offsetX_ = 0;
    float offsetY_ = 0;
    std::int32_t deviceOffsetX_ = 0;
    std::int32_t deviceOffsetY_ = 0;
    float pixelsPerMMY_ = 1.0f;
    float pixelsPerMMX_ = 1.0f;
    float zoom_ = 1.0f;

    std::int32_t shiftX_ = 0;
    std::int32_t shiftY_ = 0;
    float scaleX_ = 1.0f;
    float scaleY_ = 1.0f;
};

class TScaler : public TCustomScaler {};

// The logical font of a scaling canvas. Its height is in pixels at its own
// PixelsPerInch and at zoom 1; a negative height is the character height
// (em size), a positive one the cell height. Every change runs OnChange.
class TScaleFont {
public:
    const QString& Name() const { return name_; }
    void SetName(const QString& v);
    int Height() const { return height_; }
    void SetHeight(int v);
    // Size in points: -Height * 72 / PixelsPerInch, rounded.
    int Size() const;
    void SetSize(int points);
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int v);
    bool Bold() const { return bold_; }
    void SetBold(bool v);
    bool Italic() const { return italic_; }
    void SetItalic(bool v);
    bool Underline() const { return underline_; }
    void SetUnderline(bool v);
    bool StrikeOut() const { return strikeOut_; }
    void SetStrikeOut(bool v);
    // The colour text is drawn in.
    const QColor& Color() const { return color_; }
    void SetColor(const QColor& v);

    std::function<void()> OnChange;

private:
    friend class TScaleCanvas;
    void Changed();

    QString name_;
    int height_ = -13;
    int pixelsPerInch_ = 96;
    bool bold_ = false;
    bool italic_ = false;
    bool underline_ = false;
    bool strikeOut_ = false;
    QColor color_ = Qt::black;
};

// A scaler bound to a painter (borrowed; it must outlive the canvas), drawing
// with millimetre coordinates. The painter's font follows the logical font:
// its pixel height is the logical height * Zoom * device ppi / logical ppi,
// truncated, where the device ppi is the painter device's vertical logical
// resolution (the printer's while printing, a bitmap's or the screen's
// otherwise).
class TScaleCanvas : public TScaler {
public:
    // Copies the painter's current font into the logical font and takes the
    // scaler defaults. A null or inactive painter is allowed: nothing is
    // drawn, measurements answer 0.
    explicit TScaleCanvas(QPainter* painter);
    ~TScaleCanvas() override;

    TScaleCanvas(const TScaleCanvas&) = delete;
    TScaleCanvas& operator=(const TScaleCanvas&) = delete;

    // The base recalculation, then the font update.
    void Recalculate() override;

    QPainter* Painter() const { return painter_; }

    // True when the last font update produced a height of 0 (text would not
    // be readable; the painter then has a 1-pixel font).
    bool FontTooSmall() const { return fontTooSmall_; }
    // The pixel height last given to the painter's font (negative: character
    // height).
    int CanvasFontHeight() const { return canvasHeight_; }

    // The logical font, first synchronised from the painter's font when a
    // caller changed that directly (family, style, height).
    TScaleFont& Font();

    // Pen width in mm: the painter's pen width becomes max(0, Length(w))
    // (0 = the thinnest line the device draws).
    void SetPenWidth(float w);
    // Lines with the painter's pen; as everywhere in Qt both end points are
    // drawn (a Windows canvas leaves out the last pixel).
    void MoveTo(float x, float y);
    void LineTo(float x, float y);
    void Line(float x1, float y1, float x2, float y2);
    // Outline with the current pen and fill with the current brush, covering
    // device pixels X(x1)..X(x2) and Y(y1)..Y(y2) inclusive.
    void Rectangle(float x1, float y1, float x2, float y2);

    QBrush Brush() const;
    void SetBrush(const QBrush& b);
    QPen Pen() const;
    void SetPen(const QPen& p);

    // Draws text word-wrapped into the rectangle (DrawWrappedText with the
    // two alignments) in the logical font's colour; answers the height used
    // in mm.
    float TextRect(const QString& text, int hAlign, int vAlign, float x1, float y1, float x2,
                   float y2);
    // Text extent in mm (both measured with the vertical scale).
    float TextWidth(const QString& s) const;
    float TextHeight(const QString& s) const;

    // The device's vertical resolution the painter's font is made for.
    int CanvasPixelsPerInch() const;

private:
    void FontUpdate();
    int ExpectedCanvasHeight(int canvasPpi) const;

    QPainter* painter_;
    TScaleFont font_;
    bool fontTooSmall_ = false;
    int canvasHeight_ = 0;
    QFont appliedFont_;
    bool applied_ = false;
    QPoint penPos_;
};
