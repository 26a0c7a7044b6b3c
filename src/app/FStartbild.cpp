#include "FStartbild.h"

#include "uArtwork.h"
#include "uFileInfo.h"
#include "uFormStyle.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

TStartbild::TStartbild(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Startbild"));
    setFont(FormFont());
    setFixedSize(400, 300);

    // The picture with a 1-pixel black frame along the client rectangle.
    QImage picture = Artwork::Splash();
    {
        QPainter p(&picture);
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(0, 0, picture.width() - 1, picture.height() - 1);
    }
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 400, 300);
    Image1->setPixmap(QPixmap::fromImage(picture));

    lbVersion = new QLabel(this);
    lbVersion->setObjectName(QStringLiteral("lbVersion"));
    lbVersion->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lbVersion->setAttribute(Qt::WA_TranslucentBackground);
    lbVersion->setAutoFillBackground(false);
    QPalette pal = lbVersion->palette();
    pal.setColor(QPalette::WindowText, Qt::yellow);
    lbVersion->setPalette(pal);
    const TFileInfo& info = FileInfo();
    if (info.FileVersion)
        lbVersion->setText(
            QString::asprintf("Version %d.%.2d", info.FileVersion->vv, info.FileVersion->rr));
    lbVersion->setGeometry(188, 124, 181, lbVersion->sizeHint().height());

    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect r(QPoint(0, 0), size());
        r.moveCenter(screen->geometry().center());
        move(r.topLeft());
    }
}
