#include "uMessage.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>

namespace Msg {

namespace {

TSink& Sink() {
    static TSink sink;
    return sink;
}

TUrlOpener& Opener() {
    static TUrlOpener opener;
    return opener;
}

QString Title() {
    return QGuiApplication::applicationDisplayName();
}

} // namespace

void ShowMessage(QWidget* parent, const QString& text) {
    if (Sink()) {
        Sink()(TKind::Information, text);
        return;
    }
    QMessageBox::information(parent, Title(), text);
}

void ShowError(QWidget* parent, const QString& text) {
    if (Sink()) {
        Sink()(TKind::Error, text);
        return;
    }
    QMessageBox::critical(parent, Title(), text);
}

bool OpenUrl(const QUrl& url) {
    if (Opener())
        return Opener()(url);
    return QDesktopServices::openUrl(url);
}

TSink SetSink(TSink sink) {
    TSink old = std::move(Sink());
    Sink() = std::move(sink);
    return old;
}

TUrlOpener SetUrlOpener(TUrlOpener opener) {
    TUrlOpener old = std::move(Opener());
    Opener() = std::move(opener);
    return old;
}

} // namespace Msg
