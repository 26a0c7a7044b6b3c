#pragma once
// A small owner-drawn vertical slider: a sunken track with a flat thumb,
// Min at the top. Drag the thumb, click beside it (page steps towards the
// pointer that repeat every 200 ms while the button is held), or use the
// keyboard (arrows, Page Up/Down, Home, End).

#include <QWidget>

#include <functional>

class QTimer;

class TZRZoomSlider : public QWidget {
    Q_OBJECT
public:
    explicit TZRZoomSlider(QWidget* parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    int LineSize() const { return lineSize_; }
    int PageSize() const { return pageSize_; }

    // Setters never report OnChange. SetMin above Max and SetMax below Min
    // are ignored; the position is kept within Min..Max.
    void SetMin(int v);
    void SetMax(int v);
    void SetPosition(int v);
    void SetLineSize(int v) { lineSize_ = v; }
    void SetPageSize(int v) { pageSize_ = v; }

    // Colour around the track.
    QColor Color() const { return color_; }
    void SetColor(const QColor& c);

    // Reported when the user changed the value.
    std::function<void(QObject* sender)> OnChange;

    // Track mapping for the current height: Min at y = 3, Max at y = H - 3.
    int PosToY(int v) const;
    int YToPos(int y) const;

    bool Dragging() const { return dragging_; }
    bool Repeating() const;
    int RepeatInterval() const;
    // One page step towards the pointer (last pointer y seen while the
    // button is held); also run by every tick of the repeat timer.
    void PageStep();

    QSize sizeHint() const override { return QSize(10, 150); }

protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void Change();

    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int lineSize_ = 5;
    int pageSize_ = 20;
    QColor color_;
    QTimer* timer_;
    bool dragging_ = false;
    int grabOffset_ = 0;
    int pointerY_ = 0;
};
