#include "FMaster.h"

#include "FInfo.h"
#include "uArtwork.h"
#include "uException.h"
#include "uFormStyle.h"
#include "uMessage.h"
#include "uPlatform.h"
#include "uPositions.h"
#include "uSaveFormPosition.h"
#include "uSheetLayout.h"
#include "uSheetPrint.h"
#include "uTemplateThumbs.h"
#include "uVorlagen.h"
#include "uZROutlookbar.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <vector>

// ---------------------------------------------------------------------------
// TShape

TShape::TShape(QWidget* parent) : QWidget(parent) {}

void TShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (width() > 0 && height() > 0) {
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(0, 0, width() - 1, height() - 1);
    }
}

void TShape::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    emit MouseDown();
}

// ---------------------------------------------------------------------------
// TWorldPanel

TWorldPanel::TWorldPanel(QWidget* parent) : QFrame(parent) {}

void TWorldPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    emit Resized();
}

void TWorldPanel::mousePressEvent(QMouseEvent* event) {
    QFrame::mousePressEvent(event);
    emit MouseDown();
}

// ---------------------------------------------------------------------------
// TMaster

namespace {

const QString kCaption = QStringLiteral("Kestrelon Velamor");
const QString kPlacementSection = QStringLiteral("Mainform");
constexpr int kHintHidePause = 5000;

QToolButton* MakeButton(QWidget* parent, const QString& name, const QString& text,
                        Artwork::TGlyph glyph, int left, int width) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setIcon(QIcon(QPixmap::fromImage(Artwork::Glyph(glyph))));
    b->setIconSize(QSize(16, 16));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(left, 3, width, 22);
    return b;
}

} // namespace

TMaster::TMaster(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Master"));
    setFont(FormFont());
    setMinimumSize(460, 460);
    resize(800, 580);
    CreateComponents();

    // 1. The window caption is the application title from now on.
    setWindowTitle(kCaption);
    QGuiApplication::setApplicationDisplayName(kCaption);
    // 2. Tooltips stay 5 s; the world panel paints double-buffered (as every
    //    Qt widget does).
    SetHintHidePause(kHintHidePause);
    // 3. The chooser bar fills panBar; its items select templates.
    Bar = new TZROutlookBar(panBar);
    Bar->setObjectName(QStringLiteral("Bar"));
    panBar->layout()->addWidget(Bar);
    Bar->OnItemSelected = [this](TZROutlookBar*, int tag) { SelectTemplate(tag); };
    // 4. The zoom slider goes into the zoom panel (with the positions).
    Positions = new TPositions(this);
    Positions->PrintCommand = [this] { BtnDruckenClick(); };
    // 5./6. The catalogue fills the template list.
    BuildCatalogue(Templates);
    FillBarFromCatalogue(*Bar, Templates, CataloguePanels());
    // 7. The first template is on screen.
    SelectTemplate(0);
    // 8. The resolution light shows grey (set up by the positions).
    // 9. Last placement.
    RestoreFormPosition(this, kPlacementSection);
}

TMaster::~TMaster() {
    // The templates go first, then the placement is saved; nothing else of
    // the sheet is kept.
    delete Bar;
    Bar = nullptr;
    CurrentTemplate = nullptr;
    Templates.clear();
    try {
        SaveFormPosition(this, kPlacementSection);
    } catch (const Exception& e) {
        Msg::ShowError(nullptr, e.Message());
    } catch (const std::exception& e) {
        Msg::ShowError(nullptr, QString::fromUtf8(e.what()));
    }
}

void TMaster::CreateComponents() {
    auto* root = new QHBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    // Left column: logo above the chooser bar's host.
    panLeft = new QFrame(this);
    panLeft->setObjectName(QStringLiteral("panLeft"));
    panLeft->setFixedWidth(139);
    auto* leftLayout = new QVBoxLayout(panLeft);
    leftLayout->setContentsMargins(2, 2, 2, 2);
    leftLayout->setSpacing(0);

    Panel2 = new QFrame(panLeft);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(64);
    Bevel1 = new QFrame(Panel2);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Bevel1->setGeometry(0, 0, 135, 64);
    Image1 = new QLabel(Panel2);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 2, 135, 60);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap::fromImage(Artwork::Logo()));
    leftLayout->addWidget(Panel2);

    panBar = new QFrame(panLeft);
    panBar->setObjectName(QStringLiteral("panBar"));
    panBar->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* barLayout = new QVBoxLayout(panBar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(panBar, 1);
    root->addWidget(panLeft);

    // Right: button bar, spacer, world panel.
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* rightLayout = new QVBoxLayout(Panel1);
    rightLayout->setContentsMargins(2, 2, 2, 2);
    rightLayout->setSpacing(0);

    panTop = new QFrame(Panel1);
    panTop->setObjectName(QStringLiteral("panTop"));
    panTop->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panTop->setFixedHeight(28);
    BtnLeeren = MakeButton(panTop, QStringLiteral("BtnLeeren"), QStringLiteral("Leeren"),
                           Artwork::TGlyph::Leeren, 3, 73);
    BtnDrucken = MakeButton(panTop, QStringLiteral("BtnDrucken"), QStringLiteral("Drucken"),
                            Artwork::TGlyph::Drucken, 79, 73);
    BtnInfo = MakeButton(panTop, QStringLiteral("BtnInfo"), QStringLiteral("Info"),
                         Artwork::TGlyph::Info, 155, 73);
    BtnAnleitung = MakeButton(panTop, QStringLiteral("BtnAnleitung"), QStringLiteral("Anleitung"),
                              Artwork::TGlyph::Anleitung, 230, 79);
    // Clearing comes with the picture positions.
    BtnLeeren->setEnabled(false);
    connect(BtnDrucken, &QToolButton::clicked, this, &TMaster::BtnDruckenClick);
    connect(BtnInfo, &QToolButton::clicked, this, &TMaster::BtnInfoClick);
    connect(BtnAnleitung, &QToolButton::clicked, this, &TMaster::BtnAnleitungClick);
    rightLayout->addWidget(panTop);

    Bevel2 = new QWidget(Panel1);
    Bevel2->setObjectName(QStringLiteral("Bevel2"));
    Bevel2->setFixedHeight(4);
    rightLayout->addWidget(Bevel2);

    panWelt = new TWorldPanel(Panel1);
    panWelt->setObjectName(QStringLiteral("panWelt"));
    panWelt->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panWelt->setAutoFillBackground(true);
    QPalette pal = panWelt->palette();
    pal.setColor(QPalette::Window, QColor(0xF2F2F2));
    panWelt->setPalette(pal);
    rightLayout->addWidget(panWelt, 1);
    root->addWidget(Panel1, 1);

    shBlatt = new TShape(panWelt);
    shBlatt->setObjectName(QStringLiteral("shBlatt"));

    connect(panWelt, &TWorldPanel::Resized, this, &TMaster::panWeltResize);
}

QWidget* TMaster::BarHost() const {
    return panBar;
}

bool TMaster::FormMouseWheel(int delta, const QPoint& globalPos) {
    if (!Bar || !Bar->rect().contains(Bar->mapFromGlobal(globalPos)))
        return false;
    if (TZROutlookBarPanel* open = Bar->OpenPanelWidget())
        open->MouseWheel(delta, globalPos);
    return true;
}

void TMaster::wheelEvent(QWheelEvent* event) {
    event->setAccepted(FormMouseWheel(event->angleDelta().y(), event->globalPosition().toPoint()));
}

void TMaster::SelectTemplate(int n) {
    if (n < 0 || n >= static_cast<int>(Templates.size()))
        throw Exception(QStringLiteral("TMaster.SelectTemplate: template %1 out of range").arg(n));
    CurrentTemplate = Templates[static_cast<size_t>(n)].get();
    // Positions are paired with the new template's areas before the layout.
    if (Positions)
        Positions->PairFirstHalf(CurrentTemplate->Count());
    Layout();
    // Afterwards the zoom panel comes to the front and the first position is
    // selected.
    if (Positions)
        Positions->PairSecondHalf();
}

void TMaster::Layout() {
    if (!CurrentTemplate)
        return;
    shBlatt->setGeometry(SheetRect(*CurrentTemplate, panWelt->width(), panWelt->height()));
    // Every position control takes its area rectangle here.
    if (Positions)
        Positions->PlaceControls();
}

QRect TMaster::AreaRect(int i) const {
    if (!CurrentTemplate || i < 0 || i >= CurrentTemplate->Count())
        throw Exception(QStringLiteral("TMaster.AreaRect: area %1 out of range").arg(i));
    return ::AreaRect(*CurrentTemplate, i, shBlatt->geometry());
}

void TMaster::panWeltResize() {
    Layout();
}

QString TMaster::ManualFile() {
    const QFileInfo program(Platform::ProgramFile());
    const QString base =
        program.suffix().isEmpty() ? program.fileName() : program.completeBaseName();
    return QDir(program.absolutePath()).filePath(base + QStringLiteral(".pdf"));
}

void TMaster::Manual() {
    OpenManual(this, ManualFile());
}

void TMaster::BtnAnleitungClick() {
    Manual();
}

void TMaster::BtnDruckenClick() {
    // The job prints the positions of the current template's areas, in area
    // order; the controls beyond them belong to no area.
    std::vector<IPrintPosition*> positions;
    const auto& controls = Positions->PositionControls();
    const size_t count = std::min(controls.size(), static_cast<size_t>(CurrentTemplate->Count()));
    positions.reserve(count);
    for (size_t i = 0; i < count; ++i)
        positions.push_back(controls[i]);
    PrintSheet(this, *CurrentTemplate, positions);
}

void TMaster::BtnInfoClick() {
    TDlgInfo dlg(this);
    dlg.exec();
}

void OpenManual(QWidget* parent, const QString& pdfFile) {
    if (!QFileInfo::exists(pdfFile)) {
        Msg::ShowMessage(parent, QStringLiteral("Die Anleitungsdatei wurde nicht gefunden. Bitte "
                                                "installieren das Programm neu."));
        return;
    }
    if (!Msg::OpenUrl(QUrl::fromLocalFile(pdfFile)))
        Msg::ShowMessage(parent,
                         QStringLiteral("Die Anleitungsdatei konnte nicht geöffnet werden. Bitte "
                                        "installieren Sie den Adobe Acrobat Reader neu."));
}
