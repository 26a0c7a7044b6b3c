#pragma once
// Integer edit with a pair of arrow buttons (TKNSpinEdit), the arrow pair on
// its own (TKNSpinButton) and a flat button that repeats its click while it
// is held down (TKNTimerSpeedButton). Between the two arrows lies a thin
// strip that steps the value by one increment per pixel when dragged.

#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QToolButton>

#include <functional>

class QTimer;

using TNotifyEvent = std::function<void(QObject* sender)>;

class TKNTimerSpeedButton : public QToolButton {
    Q_OBJECT
public:
    enum TTimeBtnState {
        tbFocusRect = 1 << 0,  // draw a focus rectangle
        tbAllowTimer = 1 << 1, // repeat the click while held
    };

    explicit TKNTimerSpeedButton(QWidget* parent = nullptr);

    int TimeBtnState() const { return state_; }
    void SetTimeBtnState(int state);

    // The click, on release and on every repeat.
    std::function<void()> OnClick;

    // The repeat timer: first expiry after 400 ms, then every 100 ms.
    bool RepeatActive() const;
    int RepeatInterval() const;
    // One expiry of the repeat timer: clicks again while the button is
    // still held. An error from the click stops the repeat and is raised.
    void RepeatTimerExpired();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void StopRepeat();

    int state_ = 0;
    QTimer* timer_ = nullptr;
};

class TKNSpinStrip;

class TKNSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit TKNSpinButton(QWidget* parent = nullptr);

    TNotifyEvent OnUpClick;
    TNotifyEvent OnDownClick;

    // The control that takes the focus when an arrow is pressed.
    QWidget* FocusControl() const { return focusControl_; }
    void SetFocusControl(QWidget* w) { focusControl_ = w; }

    // A tab stop takes the keyboard focus (space, arrow keys).
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void SetTabStop(bool on) { setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus); }

    // Glyphs; a null pixmap restores the default arrow.
    QPixmap UpGlyph() const { return upGlyph_; }
    void SetUpGlyph(const QPixmap& glyph);
    QPixmap DownGlyph() const { return downGlyph_; }
    void SetDownGlyph(const QPixmap& glyph);

    TKNTimerSpeedButton* UpButton() const { return up_; }
    TKNTimerSpeedButton* DownButton() const { return down_; }
    QWidget* DragStrip() const;
    TKNTimerSpeedButton* FocusedButton() const { return focused_; }

    QSize sizeHint() const override { return QSize(20, 15); }

    // The drag strip: press stores y, a move with the left button held steps
    // once per pixel (up: OnUpClick), release forgets the stored y.
    void StripPress(int y);
    void StripMove(int y, bool leftHeld);
    void StripRelease();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void ArrowPressed(TKNTimerSpeedButton* button);
    void SetFocusBtn(TKNTimerSpeedButton* button);
    void Layout();
    void Up();
    void Down();

    TKNTimerSpeedButton* up_;
    TKNTimerSpeedButton* down_;
    TKNSpinStrip* strip_;
    TKNTimerSpeedButton* focused_;
    QPointer<QWidget> focusControl_;
    QPixmap upGlyph_;
    QPixmap downGlyph_;
    int dragY_ = 0;
};

class TKNSpinEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TKNSpinEdit(QWidget* parent = nullptr);

    // Limits; equal limits (the default 0 and 0) accept any value.
    int MinValue() const { return min_; }
    void SetMinValue(int v) { min_ = v; }
    int MaxValue() const { return max_; }
    void SetMaxValue(int v) { max_ = v; }
    int Increment() const { return increment_; }
    void SetIncrement(int v) { increment_ = v; }
    // Off: the text cannot be typed into; buttons and arrow keys still work.
    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool on);
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool on) { autoSelect_ = on; }

    // The text as an integer, MinValue when it is none; writing shows the
    // clamped value.
    int Value() const;
    void SetValue(int v);
    int CheckValue(long long v) const;

    TKNSpinButton* Button() const { return button_; }

    virtual bool IsValidChar(QChar key) const;
    virtual void UpClick();
    virtual void DownClick();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void PlaceButton();
    int MinHeight() const;

    TKNSpinButton* button_;
    int min_ = 0;
    int max_ = 0;
    int increment_ = 1;
    bool editorEnabled_ = true;
    bool autoSelect_ = true;
};
