#pragma once
// The template chooser bar: a column of panels, each with a header button.
// Exactly one panel is open and shows a vertical list of items (a thumbnail
// button with its caption under it); the others show only their headers,
// stacked above and below the open one. Clicking a header slides the panels
// to open that one.

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QToolButton;
class TZROutlookBar;
class TZROutlookBarPanel;

// Height of a panel's header button and the step of the stacked headers.
constexpr int ZRHeaderHeight = 22;

class TZROutlookBarItem {
public:
    TZROutlookBarItem(TZROutlookBarPanel* panel, int tag, const QPixmap& glyph,
                      const QString& description, const QString& caption);
    ~TZROutlookBarItem();
    TZROutlookBarItem(const TZROutlookBarItem&) = delete;
    TZROutlookBarItem& operator=(const TZROutlookBarItem&) = delete;

    // Button height + label height + 15.
    int Height() const;
    // Places button and label centred below t.
    void SetTop(int t);
    // Sizes the caption label for the panel width.
    void FitLabel(int panelWidth);

    TZROutlookBarPanel* Panel;
    QToolButton* Button;
    QLabel* Label;
    int Top = 0;
    int Tag;
};

class TZROutlookBarPanel : public QWidget {
    Q_OBJECT
public:
    // The owner must be a chooser bar; any other raises Exception.
    explicit TZROutlookBarPanel(QWidget* owner);
    ~TZROutlookBarPanel() override;

    QString Caption() const;
    void SetCaption(const QString& caption);
    QColor Color() const { return color_; }
    void SetColor(const QColor& c);

    TZROutlookBarItem* AddItem(const QString& caption, const QString& description, int tag,
                               const QPixmap& glyph);
    int ItemCount() const { return static_cast<int>(items_.size()); }
    TZROutlookBarItem* Item(int i) const { return items_.at(static_cast<size_t>(i)).get(); }
    int IndexOf(const TZROutlookBarItem* item) const;
    int TotalItemHeight() const;

    int FirstItem() const { return firstItem_; }
    // Shows the items from n on; an index outside the items is ignored.
    void ScrollTo(int n);
    void UpdateScrollButtons();

    // A wheel turn at a global position: handled (true) when the position
    // lies within this panel; a turn away from the user shows earlier items.
    bool MouseWheel(int delta, const QPoint& globalPos);

    QToolButton* HeaderButton() const { return header_; }
    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }
    TZROutlookBar* Bar() const;

    // The 9 x 7 scroll glyphs: a triangle in the window-text colour on the
    // button face, at the given device pixel ratio.
    static QPixmap ScrollGlyph(bool up, const QPalette& palette, qreal dpr);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    friend class TZROutlookBarItem;
    void ItemButtonClicked(TZROutlookBarItem* item);
    void EnsureVisible(int index);
    void MakeGlyphs();

    std::vector<std::unique_ptr<TZROutlookBarItem>> items_;
    QToolButton* header_;
    QToolButton* up_;
    QToolButton* down_;
    QColor color_;
    int firstItem_ = 0;
    int wheelRest_ = 0;
};

class TZROutlookBar : public QWidget {
    Q_OBJECT
public:
    explicit TZROutlookBar(QWidget* parent = nullptr);

    TZROutlookBarPanel* AddPanel(const QString& caption);
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    TZROutlookBarPanel* Panel(int i) const { return panels_.at(static_cast<size_t>(i)); }
    int IndexOf(const TZROutlookBarPanel* panel) const;

    int OpenPanel() const { return openPanel_; }
    TZROutlookBarPanel* OpenPanelWidget() const;
    // Slides the panels so that the given one is open.
    void Open(TZROutlookBarPanel* panel);

    // Free height F = max(22, client height - panel count * 22).
    int FreeHeight() const;
    // Slide distance D = max(0, client height - panel count * 22).
    int SlideDistance() const;
    void Arrange();

    void ItemClicked(TZROutlookBarPanel* panel, TZROutlookBarItem* item);

    // (bar, panel index, item index)
    std::function<void(TZROutlookBar*, int, int)> OnItemClick;
    // (bar, item tag): the template number
    std::function<void(TZROutlookBar*, int)> OnItemSelected;

    // The pause between two slide steps (5 ms); tests record the steps.
    void SetPauseFunction(std::function<void(int ms)> pause) { pause_ = std::move(pause); }

    // A wheel turn at a global position, handed to the open panel.
    bool MouseWheel(int delta, const QPoint& globalPos);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    friend class TZROutlookBarPanel;
    void UpdateFocusChain();

    std::vector<TZROutlookBarPanel*> panels_;
    int openPanel_ = 0;
    std::function<void(int)> pause_;
};
