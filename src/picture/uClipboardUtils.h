#pragma once
// Exchange of byte streams with the system clipboard under a format of the
// program's own. Each call opens and closes the clipboard around its access.

#include <QByteArray>
#include <QString>

// The MIME type of the position control's private clipboard format. On
// Windows it is the registered clipboard format "CF_TDPicPreview".
QString PicPreviewClipboardFormat();

// Places the stream on the clipboard as the only data, under the format
// (the clipboard is emptied first).
void CopyStreamToClipboard(const QString& format, const QByteArray& stream);

// Appends the clipboard's data of the format to the stream; does nothing when
// the clipboard holds no such data.
void CopyStreamFromClipboard(const QString& format, QByteArray& stream);

// True when the clipboard holds data of the format.
bool ClipboardHasFormat(const QString& format);
