#include "uPositions.h"

#include "FMaster.h"
#include "uException.h"
#include "uMessage.h"
#include "uPicArtwork.h"
#include "uRound.h"
#include "uZRZoomSlider.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>

namespace {

QIcon GlyphIcon(int index) {
    return QIcon(QPixmap::fromImage(PositionMenuGlyph(index)));
}

} // namespace

TPositions::TPositions(TMaster* master) : QObject(master), master_(master) {
    lightStrip_ = ResolutionLightStrip();
    CreateZoomPanel();
    CreateMenu();
    ChoosePicture = [this](QWidget* parent) { return DefaultChoosePicture(parent); };

    connect(master_->shBlatt, &TShape::MouseDown, this, [this] { SelectPosition(nullptr); });
    connect(master_->panWelt, &TWorldPanel::MouseDown, this, [this] { SelectPosition(nullptr); });
    master_->BtnLeeren->setEnabled(true);
    connect(master_->BtnLeeren, &QToolButton::clicked, this,
            [this] { Guarded([this] { ClearSheet(); }); });
    master_->installEventFilter(this);
}

TPositions::~TPositions() = default;

void TPositions::CreateZoomPanel() {
    panZoom = new QFrame(master_->panWelt);
    panZoom->setObjectName(QStringLiteral("panZoom"));
    panZoom->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panZoom->setLineWidth(2);
    panZoom->setAutoFillBackground(true);
    panZoom->setGeometry(1, 1, 50, 250);
    panZoom->hide();

    Label2 = new QLabel(QStringLiteral("Zoom"), panZoom);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(11, 5);

    ZoomSlider = new TZRZoomSlider(panZoom);
    ZoomSlider->setObjectName(QStringLiteral("ZoomSlider"));
    ZoomSlider->setGeometry(17, 30, panZoom->width() - 32, 150);
    ZoomSlider->SetMax(500);
    ZoomSlider->SetMin(100);
    ZoomSlider->OnChange = [this](QObject*) { Guarded([this] { ZoomSliderChange(); }); };

    lblDPI = new QLabel(panZoom);
    lblDPI->setObjectName(QStringLiteral("lblDPI"));
    lblDPI->setGeometry(4, 191, 41, lblDPI->sizeHint().height());
    lblDPI->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblDPI->setToolTip(QStringLiteral("Bildauflösung beim Druck"));
    lblDPI->hide();

    imAmpel = new QLabel(panZoom);
    imAmpel->setObjectName(QStringLiteral("imAmpel"));
    imAmpel->setGeometry(17, 210, 16, 32);
    imAmpel->setAttribute(Qt::WA_TranslucentBackground);
    ShowLight(lfGrey);
}

void TPositions::CreateMenu() {
    pmBild = new QMenu(master_);
    pmBild->setObjectName(QStringLiteral("pmBild"));
    auto add = [this](const QString& name, const QString& text, int glyph) {
        QAction* a = pmBild->addAction(text);
        a->setObjectName(name);
        if (glyph >= 0)
            a->setIcon(GlyphIcon(glyph));
        return a;
    };
    mnuBildLaden = add(QStringLiteral("mnuBildLaden"), QStringLiteral("Bild laden..."), 0);
    pmBild->setDefaultAction(mnuBildLaden);
    pmBild->addSeparator();
    mnuLinks = add(QStringLiteral("mnuLinks"), QStringLiteral("Bild nach links drehen"), 1);
    mnuRechts = add(QStringLiteral("mnuRechts"), QStringLiteral("Bild nach rechts drehen"), 2);
    mnu180 = add(QStringLiteral("mnu180"), QStringLiteral("Bild 180° drehen"), 3);
    pmBild->addSeparator();
    mnuHKIG = add(QStringLiteral("mnuHKIG"),
                  QStringLiteral("Helligkeit, Kontrast, Intensität, Gamma..."), -1);
    mnuFSH = add(QStringLiteral("mnuFSH"), QStringLiteral("Farbton, Sättigung, Helligkeit..."), -1);
    mnuSW = add(QStringLiteral("mnuSW"), QStringLiteral("Schwarz-Weiß, Kolorieren..."), -1);
    pmBild->addSeparator();
    mnuAusschneiden = add(QStringLiteral("mnuAusschneiden"), QStringLiteral("Ausschneiden"), 4);
    mnuKopieren = add(QStringLiteral("mnuKopieren"), QStringLiteral("Kopieren"), 5);
    mnuEinfuegen = add(QStringLiteral("mnuEinfuegen"), QStringLiteral("Einfügen"), 6);
    pmBild->addSeparator();
    mnuLeeren = add(QStringLiteral("mnuLeeren"), QStringLiteral("Leeren"), 7);
    // The keys are handled by the window (KeyDown); the menu only shows them.
    mnuAusschneiden->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuKopieren->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuEinfuegen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    mnuLeeren->setShortcut(QKeySequence(Qt::Key_Delete));
    for (QAction* a : {mnuAusschneiden, mnuKopieren, mnuEinfuegen, mnuLeeren})
        a->setShortcutContext(Qt::WidgetShortcut);

    auto wire = [this](QAction* a, void (TPositions::*command)()) {
        WireMenuEntry(a, [this, command] { (this->*command)(); });
    };
    WireMenuEntry(mnuBildLaden, [this] { LoadPicture(current_); });
    wire(mnuLinks, &TPositions::RotateLeft);
    wire(mnuRechts, &TPositions::RotateRight);
    wire(mnu180, &TPositions::Rotate180);
    wire(mnuAusschneiden, &TPositions::Cut);
    wire(mnuKopieren, &TPositions::Copy);
    wire(mnuEinfuegen, &TPositions::Paste);
    wire(mnuLeeren, &TPositions::ClearPosition);
    // The filter entries wait for their dialogs.
    for (QAction* a : {mnuHKIG, mnuFSH, mnuSW})
        a->setEnabled(false);
}

void TPositions::WireMenuEntry(QAction* entry, std::function<void()> command) {
    wired_.insert(entry);
    connect(entry, &QAction::triggered, this,
            [this, command = std::move(command)] { Guarded(command); });
}

TPicPreview* TPositions::CreateControl() {
    auto* c = new TPicPreview(master_->panWelt);
    c->setObjectName(QStringLiteral("PicPreview%1").arg(controls_.size()));
    c->SetColor(QColor(0xFF, 0xFF, 0xFF));
    c->OnMouseDown = [this](TPicPreview* p, QMouseEvent*) { SelectPosition(p); };
    c->OnDblClick = [this](TPicPreview* p) { Guarded([this, p] { LoadPicture(p); }); };
    c->OnContextPopup = [this](TPicPreview* p, const QPoint& pos) { PositionMenu(p, pos); };
    c->OnMouseWheel = [this](TPicPreview* p, QWheelEvent* e) { return PositionWheel(p, e); };
    c->OnFileDrop = [this](TPicPreview* p, const QString& file) {
        SelectPosition(p);
        LoadFile(p, file);
    };
    c->hide();
    return c;
}

int TPositions::IndexOf(const TPicPreview* p) const {
    const auto it = std::find(controls_.begin(), controls_.end(), p);
    return it == controls_.end() ? -1 : static_cast<int>(it - controls_.begin());
}

void TPositions::PairFirstHalf(int k) {
    count_ = std::max(0, k);
    while (static_cast<int>(controls_.size()) < count_)
        controls_.push_back(CreateControl());
    for (int i = count_; i < static_cast<int>(controls_.size()); ++i)
        controls_[static_cast<size_t>(i)]->Clear();
    for (TPicPreview* c : controls_)
        c->hide();
}

void TPositions::PlaceControls() {
    const int n = std::min<int>(count_, static_cast<int>(controls_.size()));
    for (int i = 0; i < n; ++i) {
        TPicPreview* c = controls_[static_cast<size_t>(i)];
        c->setGeometry(master_->AreaRect(i));
        c->show();
    }
    panZoom->raise();
}

void TPositions::PairSecondHalf() {
    panZoom->raise();
    SelectPosition(count_ > 0 ? controls_.front() : nullptr);
}

void TPositions::SelectPosition(TPicPreview* p) {
    if (current_)
        current_->SetActive(false);
    current_ = p;
    panZoom->setVisible(p != nullptr);
    if (!p) {
        UpdateResolutionDisplay();
        return;
    }
    p->SetActive(true);
    ZoomSlider->SetPosition(RoundEven(p->Zoom() * 100));
    UpdateResolutionDisplay();
    ZoomSlider->setEnabled(p->HasPicture());
}

int TPositions::PrintResolution() const {
    if (!current_ || !current_->HasPicture() || !master_->CurrentTemplate)
        return 0;
    const int i = IndexOf(current_);
    if (i < 0 || i >= master_->CurrentTemplate->Count())
        return 0;
    return PrintDpi(current_->VisibleSourceRect(), master_->CurrentTemplate->Position(i).Height);
}

void TPositions::ShowLight(int frame) {
    if (frame == lightFrame_)
        return;
    lightFrame_ = frame;
    imAmpel->setPixmap(QPixmap::fromImage(ResolutionLightFrame(lightStrip_, frame)));
}

void TPositions::UpdateResolutionDisplay() {
    const int dpi = PrintResolution();
    if (dpi != 0) {
        lblDPI->setText(QStringLiteral("%1 dpi").arg(dpi));
        lblDPI->show();
    } else {
        lblDPI->hide();
    }
    ShowLight(LightFrameForDpi(dpi));
    if (current_) {
        const bool enabled = current_->HasPicture();
        ZoomSlider->setEnabled(enabled);
        const int pos = RoundEven(current_->Zoom() * 100);
        if (enabled && ZoomSlider->Position() != pos)
            ZoomSlider->SetPosition(pos);
    } else {
        ZoomSlider->setEnabled(false);
    }
}

void TPositions::ZoomSliderChange() {
    if (!current_)
        return;
    current_->SetZoom(ZoomSlider->Position() / 100.0);
    UpdateResolutionDisplay();
}

void TPositions::ClearSheet() {
    for (TPicPreview* c : controls_)
        c->Clear();
    UpdateResolutionDisplay();
}

void TPositions::RotateLeft() {
    if (!current_)
        return;
    current_->RotateLeft();
    UpdateResolutionDisplay();
}

void TPositions::RotateRight() {
    if (!current_)
        return;
    current_->RotateRight();
    UpdateResolutionDisplay();
}

void TPositions::Rotate180() {
    if (!current_)
        return;
    current_->Rotate180();
    UpdateResolutionDisplay();
}

void TPositions::Cut() {
    if (!current_)
        return;
    current_->CutToClipboard();
    UpdateResolutionDisplay();
}

void TPositions::Copy() {
    if (current_)
        current_->CopyToClipboard();
}

void TPositions::Paste() {
    if (!current_)
        return;
    current_->PasteFromClipboard();
    UpdateResolutionDisplay();
}

void TPositions::ClearPosition() {
    if (!current_)
        return;
    current_->Clear();
    UpdateResolutionDisplay();
}

QString TPositions::DefaultChoosePicture(QWidget* parent) {
    QStringList patterns;
    for (const QString& ext : TPicPreview::PictureExtensions())
        patterns << QStringLiteral("*.") + ext << QStringLiteral("*.") + ext.toUpper();
    const QString filter = QStringLiteral("Bilddateien (%1)").arg(patterns.join(QLatin1Char(' ')));
    const QString file =
        QFileDialog::getOpenFileName(parent, QStringLiteral("Bild laden"), lastDir_, filter);
    if (!file.isEmpty())
        lastDir_ = QFileInfo(file).absolutePath();
    return file;
}

void TPositions::LoadPicture(TPicPreview* p) {
    if (!p)
        return;
    const QString file = ChoosePicture ? ChoosePicture(master_) : QString();
    if (file.isEmpty())
        return;
    LoadFile(p, file);
}

void TPositions::LoadFile(TPicPreview* p, const QString& file) {
    if (!p)
        return;
    Guarded([&] {
        p->AutoRotate = false;
        p->SetFileName(file);
    });
    UpdateResolutionDisplay();
}

void TPositions::EnableMenuEntries() {
    const bool picture = current_ && current_->HasPicture();
    for (QAction* a : {mnuLinks, mnuRechts, mnu180, mnuHKIG, mnuFSH, mnuSW, mnuAusschneiden,
                       mnuKopieren, mnuLeeren})
        a->setEnabled(picture && wired_.contains(a));
    mnuEinfuegen->setEnabled(current_ && TPicPreview::CanPaste());
}

void TPositions::PositionMenu(TPicPreview* p, const QPoint& globalPos) {
    SelectPosition(p);
    EnableMenuEntries();
    pmBild->popup(globalPos);
}

bool TPositions::PositionWheel(TPicPreview* p, QWheelEvent* event) {
    if (!current_ || !p)
        return false;
    const QPoint global = p->mapToGlobal(event->position().toPoint());
    if (!current_->rect().contains(current_->mapFromGlobal(global)))
        return false;
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return true; // the end of a touchpad gesture: taken, nothing changes
    const double step = delta > 0 ? -0.2 : 0.2;
    Guarded([&] { current_->SetZoom(std::clamp(current_->Zoom() + step, 1.0, 5.0)); });
    UpdateResolutionDisplay();
    return true;
}

bool TPositions::KeyDown(int key, Qt::KeyboardModifiers modifiers) {
    bool handled = false;
    if (key == Qt::Key_F1) {
        Guarded([this] { master_->Manual(); });
        handled = true;
    } else if (current_) {
        if (modifiers & Qt::ControlModifier) {
            switch (key) {
            case Qt::Key_C:
                Guarded([this] { Copy(); });
                handled = true;
                break;
            case Qt::Key_P:
                if (PrintCommand) {
                    Guarded(PrintCommand);
                    handled = true;
                }
                break;
            case Qt::Key_V:
                Guarded([this] { Paste(); });
                handled = true;
                break;
            case Qt::Key_X:
                Guarded([this] { Cut(); });
                handled = true;
                break;
            default:
                break;
            }
        }
        if (key == Qt::Key_Delete && current_)
            handled = current_->Clear();
    }
    if (handled)
        UpdateResolutionDisplay();
    return handled;
}

bool TPositions::eventFilter(QObject* watched, QEvent* event) {
    // Key presses reach the window itself only when no control took them.
    if (watched == master_ && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (KeyDown(k->key(), k->modifiers())) {
            k->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TPositions::Guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const Exception& e) {
        Msg::ShowError(master_, e.Message());
    } catch (const std::exception& e) {
        Msg::ShowError(master_, QString::fromUtf8(e.what()));
    }
}
