#include "uZROutlookbar.h"

#include "uException.h"

#include <QFocusEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>
#include <QToolButton>
#include <QWheelEvent>
#include <qdrawutil.h>

#include <algorithm>

namespace {

constexpr int kScrollButtonSize = 17;
constexpr int kWheelNotch = 120;

QWidget* CheckBarOwner(QWidget* owner) {
    if (!qobject_cast<TZROutlookBar*>(owner))
        throw Exception(QString::fromUtf8("TZROutlookBarPanel: Parent muß TZROutlookBar sein"));
    return owner;
}

QString TooltipText(const QString& description) {
    QString t = description;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    // Keep every line as it is, also a line that looks like markup.
    if (Qt::mightBeRichText(t))
        t = QStringLiteral("<p style='white-space:pre'>") +
            t.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>")) +
            QStringLiteral("</p>");
    return t;
}

} // namespace

// -------------------------------------------------------------------------
// TZROutlookBarItem

TZROutlookBarItem::TZROutlookBarItem(TZROutlookBarPanel* panel, int tag, const QPixmap& glyph,
                                     const QString& description, const QString& caption)
    : Panel(panel), Tag(tag) {
    Button = new QToolButton(panel);
    Button->setAutoRaise(true);
    Button->setFocusPolicy(Qt::TabFocus);
    const QSize g = glyph.deviceIndependentSize().toSize();
    Button->setIcon(QIcon(glyph));
    Button->setIconSize(g);
    Button->setFixedSize(g.width() + 12, g.height() + 6);
    if (!description.isEmpty())
        Button->setToolTip(TooltipText(description));
    Button->setAccessibleName(caption);
    QObject::connect(Button, &QToolButton::clicked, panel,
                     [panel, this] { panel->ItemButtonClicked(this); });
    Button->installEventFilter(panel);

    Label = new QLabel(caption, panel);
    Label->setAlignment(Qt::AlignCenter);
    Label->setTextFormat(Qt::PlainText);
    Label->setWordWrap(true);
    FitLabel(panel->width());
}

TZROutlookBarItem::~TZROutlookBarItem() {
    delete Button;
    delete Label;
}

int TZROutlookBarItem::Height() const {
    return Button->height() + Label->height() + 15;
}

void TZROutlookBarItem::FitLabel(int panelWidth) {
    // One line as wide as the caption; a caption wider than the panel wraps
    // instead of being cut at both edges.
    const QMargins m = Label->contentsMargins();
    const int natural = Label->fontMetrics().horizontalAdvance(Label->text()) + m.left() +
                        m.right() + 2 * Label->margin() + 1;
    const int room = std::max(panelWidth - 4, 1);
    const int width = std::min(natural, room);
    const QSize size(width, Label->heightForWidth(width));
    if (Label->size() != size)
        Label->resize(size);
}

void TZROutlookBarItem::SetTop(int t) {
    Top = t;
    const int w = Panel->width();
    FitLabel(w);
    Button->move((w - Button->width()) / 2, t + 5);
    Label->move((w - Label->width()) / 2, Button->y() + Button->height() + 2);
}

// -------------------------------------------------------------------------
// TZROutlookBarPanel

TZROutlookBarPanel::TZROutlookBarPanel(QWidget* owner) : QWidget(CheckBarOwner(owner)) {
    setFocusPolicy(Qt::ClickFocus);
    header_ = new QToolButton(this);
    header_->setAutoRaise(true);
    header_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    header_->setFocusPolicy(Qt::TabFocus);
    header_->setText(QStringLiteral("TZROutlookBarPanel"));
    header_->setGeometry(0, 0, width(), ZRHeaderHeight);
    connect(header_, &QToolButton::clicked, this, [this] {
        if (TZROutlookBar* bar = Bar())
            bar->Open(this);
    });

    up_ = new QToolButton(this);
    down_ = new QToolButton(this);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->resize(kScrollButtonSize, kScrollButtonSize);
        b->hide();
    }
    MakeGlyphs();
    connect(up_, &QToolButton::clicked, this, [this] {
        ScrollTo(firstItem_ - 1);
        UpdateScrollButtons();
    });
    connect(down_, &QToolButton::clicked, this, [this] {
        ScrollTo(firstItem_ + 1);
        UpdateScrollButtons();
    });
}

TZROutlookBarPanel::~TZROutlookBarPanel() {
    items_.clear();
    if (TZROutlookBar* bar = Bar())
        std::erase(bar->panels_, this);
}

TZROutlookBar* TZROutlookBarPanel::Bar() const {
    return qobject_cast<TZROutlookBar*>(parentWidget());
}

QString TZROutlookBarPanel::Caption() const {
    return header_->text();
}

void TZROutlookBarPanel::SetCaption(const QString& caption) {
    header_->setText(caption);
}

void TZROutlookBarPanel::SetColor(const QColor& c) {
    color_ = c;
    update();
}

QPixmap TZROutlookBarPanel::ScrollGlyph(bool up, const QPalette& palette, qreal dpr) {
    QPixmap pm(QSize(9, 7) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(palette.color(QPalette::Button));
    QPainter p(&pm);
    const QColor ink = palette.color(QPalette::WindowText);
    // Rows of the triangle: (y, first x, last x).
    static const int down[4][3] = {{2, 1, 7}, {3, 2, 6}, {4, 3, 5}, {5, 4, 4}};
    static const int upRows[4][3] = {{1, 4, 4}, {2, 3, 5}, {3, 2, 6}, {4, 1, 7}};
    const auto& rows = up ? upRows : down;
    for (const auto& r : rows)
        p.fillRect(QRect(r[1], r[0], r[2] - r[1] + 1, 1), ink);
    return pm;
}

void TZROutlookBarPanel::MakeGlyphs() {
    const qreal dpr = devicePixelRatioF();
    up_->setIcon(QIcon(ScrollGlyph(true, palette(), dpr)));
    down_->setIcon(QIcon(ScrollGlyph(false, palette(), dpr)));
    up_->setIconSize(QSize(9, 7));
    down_->setIconSize(QSize(9, 7));
}

void TZROutlookBarPanel::changeEvent(QEvent* e) {
    if (e->type() == QEvent::PaletteChange || e->type() == QEvent::StyleChange)
        MakeGlyphs();
    QWidget::changeEvent(e);
}

TZROutlookBarItem* TZROutlookBarPanel::AddItem(const QString& caption, const QString& description,
                                               int tag, const QPixmap& glyph) {
    auto item = std::make_unique<TZROutlookBarItem>(this, tag, glyph, description, caption);
    TZROutlookBarItem* raw = item.get();
    // Below the items there are, by the layout of the current scroll position.
    int top = ZRHeaderHeight;
    for (int i = firstItem_; i < ItemCount(); ++i)
        top += Item(i)->Height();
    items_.push_back(std::move(item));
    raw->SetTop(top);
    raw->Button->show();
    raw->Label->show();
    if (TZROutlookBar* bar = Bar()) {
        const bool open = bar->OpenPanelWidget() == this;
        raw->Button->setFocusPolicy(open ? Qt::TabFocus : Qt::NoFocus);
    }
    UpdateScrollButtons();
    return raw;
}

int TZROutlookBarPanel::IndexOf(const TZROutlookBarItem* item) const {
    for (int i = 0; i < ItemCount(); ++i) {
        if (Item(i) == item)
            return i;
    }
    return -1;
}

int TZROutlookBarPanel::TotalItemHeight() const {
    int h = 0;
    for (const auto& item : items_)
        h += item->Height();
    return h;
}

void TZROutlookBarPanel::ScrollTo(int n) {
    if (n < 0 || n > ItemCount() - 1)
        return;
    firstItem_ = n;
    for (int i = 0; i < n; ++i)
        Item(i)->SetTop(-Item(i)->Height());
    int y = ZRHeaderHeight;
    for (int i = n; i < ItemCount(); ++i) {
        Item(i)->SetTop(y);
        y += Item(i)->Height();
    }
    UpdateScrollButtons();
}

void TZROutlookBarPanel::UpdateScrollButtons() {
    TZROutlookBar* bar = Bar();
    const int f = bar ? bar->FreeHeight() : ZRHeaderHeight;
    if (TotalItemHeight() < f) {
        if (firstItem_ > 0)
            ScrollTo(0);
        up_->hide();
        down_->hide();
        update();
        return;
    }
    up_->setVisible(firstItem_ > 0);
    up_->raise();
    int rest = 0;
    for (int i = firstItem_; i < ItemCount(); ++i)
        rest += Item(i)->Height();
    down_->setVisible(rest > f);
    down_->raise();
    update();
}

void TZROutlookBarPanel::resizeEvent(QResizeEvent*) {
    header_->setGeometry(0, 0, width(), ZRHeaderHeight);
    TZROutlookBar* bar = Bar();
    const int f = bar ? bar->FreeHeight() : ZRHeaderHeight;
    const int left = width() - 22;
    up_->move(left, 27);
    down_->move(left, std::max(27 + kScrollButtonSize, f));
    ScrollTo(firstItem_);
    // A grown panel pulls hidden items back in from above.
    while (firstItem_ > 0) {
        int s = 0;
        for (int i = firstItem_; i < ItemCount(); ++i)
            s += Item(i)->Height();
        if (s > f || Item(firstItem_ - 1)->Height() >= f - s)
            break;
        ScrollTo(firstItem_ - 1);
    }
    UpdateScrollButtons();
}

void TZROutlookBarPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect header(0, 0, width(), ZRHeaderHeight);
    p.fillRect(header, palette().color(QPalette::Button));
    qDrawShadePanel(&p, header, palette(), false, 1);
    p.fillRect(QRect(0, ZRHeaderHeight, width(), height() - ZRHeaderHeight),
               color_.isValid() ? color_ : palette().color(QPalette::Button));
    for (QToolButton* b : {up_, down_}) {
        if (!b->isHidden())
            qDrawShadePanel(&p, b->geometry(), palette(), false, 1);
    }
}

void TZROutlookBarPanel::mousePressEvent(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(e);
}

bool TZROutlookBarPanel::MouseWheel(int delta, const QPoint& globalPos) {
    if (!rect().contains(mapFromGlobal(globalPos)))
        return false;
    // One item per notch; finer wheels (touchpads) add up to a notch first.
    if ((wheelRest_ > 0) != (delta > 0))
        wheelRest_ = 0;
    wheelRest_ += delta;
    while (wheelRest_ >= kWheelNotch) {
        wheelRest_ -= kWheelNotch;
        if (!up_->isHidden())
            ScrollTo(firstItem_ - 1);
    }
    while (wheelRest_ <= -kWheelNotch) {
        wheelRest_ += kWheelNotch;
        if (!down_->isHidden())
            ScrollTo(firstItem_ + 1);
    }
    return true;
}

void TZROutlookBarPanel::wheelEvent(QWheelEvent* e) {
    TZROutlookBar* bar = Bar();
    const bool handled = bar && bar->MouseWheel(e->angleDelta().y(), e->globalPosition().toPoint());
    e->setAccepted(handled);
}

void TZROutlookBarPanel::ItemButtonClicked(TZROutlookBarItem* item) {
    if (TZROutlookBar* bar = Bar())
        bar->ItemClicked(this, item);
}

void TZROutlookBarPanel::EnsureVisible(int index) {
    if (index < 0)
        return;
    if (index < firstItem_) {
        ScrollTo(index);
        return;
    }
    TZROutlookBar* bar = Bar();
    const int f = bar ? bar->FreeHeight() : ZRHeaderHeight;
    while (firstItem_ < index) {
        const TZROutlookBarItem* item = Item(index);
        if (item->Top + item->Height() <= ZRHeaderHeight + f)
            break;
        ScrollTo(firstItem_ + 1);
    }
}

bool TZROutlookBarPanel::eventFilter(QObject* watched, QEvent* e) {
    // An item reached with the keyboard scrolls into view.
    if (e->type() == QEvent::FocusIn) {
        const auto reason = static_cast<QFocusEvent*>(e)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            for (int i = 0; i < ItemCount(); ++i) {
                if (Item(i)->Button == watched)
                    EnsureVisible(i);
            }
        }
    }
    return QWidget::eventFilter(watched, e);
}

// -------------------------------------------------------------------------
// TZROutlookBar

TZROutlookBar::TZROutlookBar(QWidget* parent) : QWidget(parent) {
    pause_ = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
}

TZROutlookBarPanel* TZROutlookBar::AddPanel(const QString& caption) {
    auto* panel = new TZROutlookBarPanel(this);
    panel->SetCaption(caption);
    panel->setGeometry(0, 0, width(), height());
    panels_.push_back(panel);
    panel->raise();
    panel->show();
    Arrange();
    UpdateFocusChain();
    return panel;
}

int TZROutlookBar::IndexOf(const TZROutlookBarPanel* panel) const {
    const auto it = std::find(panels_.begin(), panels_.end(), panel);
    return it == panels_.end() ? -1 : static_cast<int>(it - panels_.begin());
}

TZROutlookBarPanel* TZROutlookBar::OpenPanelWidget() const {
    if (openPanel_ < 0 || openPanel_ >= PanelCount())
        return nullptr;
    return Panel(openPanel_);
}

int TZROutlookBar::FreeHeight() const {
    return std::max(ZRHeaderHeight, height() - PanelCount() * ZRHeaderHeight);
}

int TZROutlookBar::SlideDistance() const {
    return std::max(0, height() - PanelCount() * ZRHeaderHeight);
}

void TZROutlookBar::Arrange() {
    const int n = PanelCount();
    if (n == 0)
        return;
    const int open = std::clamp(openPanel_, 0, n - 1);
    for (int i = 0; i <= open; ++i)
        Panel(i)->move(0, i * ZRHeaderHeight);
    const int first =
        std::max(height() - (n - open - 1) * ZRHeaderHeight, (open + 1) * ZRHeaderHeight);
    for (int i = open + 1; i < n; ++i)
        Panel(i)->move(0, first + (i - open - 1) * ZRHeaderHeight);
}

void TZROutlookBar::Open(TZROutlookBarPanel* panel) {
    const int e = IndexOf(panel);
    const int o = openPanel_;
    if (e < 0 || e == o)
        return;
    int d = SlideDistance();
    std::vector<TZROutlookBarPanel*> sliding;
    int direction;
    if (o < e) {
        sliding.assign(panels_.begin() + o + 1, panels_.begin() + e + 1);
        direction = -1;
    } else {
        sliding.assign(panels_.begin() + e + 1, panels_.begin() + o + 1);
        direction = 1;
    }
    while (d > 0) {
        const int step = std::min(d, 50);
        for (TZROutlookBarPanel* p : sliding)
            p->move(p->x(), p->y() + direction * step);
        panel->repaint();
        if (pause_)
            pause_(5);
        d -= step;
    }
    openPanel_ = e;
    UpdateFocusChain();
    panel->setFocus(Qt::OtherFocusReason);
}

void TZROutlookBar::UpdateFocusChain() {
    // Only the open panel's items are reached with Tab.
    for (int i = 0; i < PanelCount(); ++i) {
        TZROutlookBarPanel* p = Panel(i);
        for (int k = 0; k < p->ItemCount(); ++k)
            p->Item(k)->Button->setFocusPolicy(i == openPanel_ ? Qt::TabFocus : Qt::NoFocus);
    }
}

void TZROutlookBar::ItemClicked(TZROutlookBarPanel* panel, TZROutlookBarItem* item) {
    const int p = IndexOf(panel);
    if (p < 0)
        return;
    if (OnItemClick)
        OnItemClick(this, p, panel->IndexOf(item));
    if (OnItemSelected)
        OnItemSelected(this, item->Tag);
}

bool TZROutlookBar::MouseWheel(int delta, const QPoint& globalPos) {
    TZROutlookBarPanel* open = OpenPanelWidget();
    return open && open->MouseWheel(delta, globalPos);
}

void TZROutlookBar::resizeEvent(QResizeEvent*) {
    for (TZROutlookBarPanel* p : panels_)
        p->setGeometry(0, p->y(), width(), height());
    Arrange();
}

void TZROutlookBar::wheelEvent(QWheelEvent* e) {
    e->setAccepted(MouseWheel(e->angleDelta().y(), e->globalPosition().toPoint()));
}
