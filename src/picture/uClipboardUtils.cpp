#include "uClipboardUtils.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

QString PicPreviewClipboardFormat() {
#ifdef Q_OS_WIN
    return QStringLiteral("application/x-qt-windows-mime;value=\"CF_TDPicPreview\"");
#else
    return QStringLiteral("application/x-kestrelon-tdpicpreview");
#endif
}

void CopyStreamToClipboard(const QString& format, const QByteArray& stream) {
    auto* data = new QMimeData;
    data->setData(format, stream);
    QGuiApplication::clipboard()->setMimeData(data); // takes ownership
}

void CopyStreamFromClipboard(const QString& format, QByteArray& stream) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasFormat(format))
        return;
    stream.append(data->data(format));
}

bool ClipboardHasFormat(const QString& format) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasFormat(format);
}
