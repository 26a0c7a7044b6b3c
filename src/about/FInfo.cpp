#include "FInfo.h"

#include "uArtwork.h"
#include "uFileInfo.h"
#include "uFormStyle.h"
#include "uMessage.h"

#include <QFrame>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

const QString TDlgInfo::kHomepage = QStringLiteral("https://www.kestrelon.de");
const QString TDlgInfo::kEMail = QStringLiteral("support@kestrelon.de");

TLinkLabel::TLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::blue);
    setPalette(pal);
    setCursor(Qt::PointingHandCursor);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Clicked();
}

namespace {

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int left, int top) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->move(left, top);
    l->adjustSize();
    return l;
}

QString VersionText(const TFileInfo& info) {
    if (!info.FileVersion)
        return QString();
    const TProjVersion& v = *info.FileVersion;
    return QString::asprintf("Version %d.%.2d.%.2d Build %.4d", v.vv, v.rr, v.mm, v.pp);
}

} // namespace

TDlgInfo::TDlgInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DlgInfo"));
    setFont(FormFont());
    setWindowTitle(QStringLiteral("Infos"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(378, 262);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Bevel1->setGeometry(13, 9, 64, 184);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(15, 11, 60, 180);
    Image1->setPixmap(QPixmap::fromImage(Artwork::AboutPicture()));

    ProductName = new QLabel(QStringLiteral("Kestrelon Velamor"), this);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    QFont big(QStringLiteral("Arial"));
    big.setPixelSize(16);
    big.setBold(true);
    ProductName->setFont(big);
    ProductName->setGeometry(87, 16, 250, 18);

    Version = MakeLabel(this, QStringLiteral("Version"), VersionText(FileInfo()), 87, 40);

    Label1 =
        MakeLabel(this, QStringLiteral("Label1"), QStringLiteral("Kestrelon im Internet:"), 87, 72);
    lblHomepage = new TLinkLabel(QUrl(kHomepage).host(), this);
    lblHomepage->setObjectName(QStringLiteral("lblHomepage"));
    lblHomepage->move(216, 72);
    lblHomepage->adjustSize();
    connect(lblHomepage, &TLinkLabel::Clicked, this, &TDlgInfo::lblHomepageClick);

    Label2 = MakeLabel(this, QStringLiteral("Label2"), QStringLiteral("EMail-Adresse:"), 87, 96);
    lblEMail = new TLinkLabel(kEMail, this);
    lblEMail->setObjectName(QStringLiteral("lblEMail"));
    lblEMail->move(216, 97);
    lblEMail->adjustSize();
    connect(lblEMail, &TLinkLabel::Clicked, this, &TDlgInfo::lblEMailClick);

    Bevel2 = new QFrame(this);
    Bevel2->setObjectName(QStringLiteral("Bevel2"));
    Bevel2->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel2->setGeometry(8, 201, 364, 2);

    Label10 = new QLabel(QStringLiteral("Dieses Programm ist urheberrechtlich geschützt. "
                                        "Weitergabe nur mit Genehmigung von Kestrelon."),
                         this);
    Label10->setObjectName(QStringLiteral("Label10"));
    Label10->setWordWrap(true);
    Label10->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label10->setGeometry(14, 208, 265, 48);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(288, 209, 77, 27);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    // Centred on the screen, not on the owner.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r(QPoint(0, 0), size());
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
}

void TDlgInfo::lblHomepageClick() {
    if (!Msg::OpenUrl(QUrl(kHomepage)))
        Msg::ShowMessage(this, QStringLiteral("Der Internet-Browser konnte nicht geöffnet werden"));
}

void TDlgInfo::lblEMailClick() {
    if (!Msg::OpenUrl(QUrl(QStringLiteral("mailto:") + kEMail)))
        Msg::ShowMessage(this,
                         QStringLiteral("Es wurde kein installiertes EMail Programm gefunden"));
}
