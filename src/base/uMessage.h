#pragma once
// Message boxes and shell opening of the program, in one place.
//
// Every information box, error box and "open this document / address with the
// user's default program" goes through these functions. Tests install a sink
// (and an opener) to see what would have been shown without a modal box.

#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

namespace Msg {

enum class TKind { Information, Error };

// Receives a message instead of a message box; empty = real boxes.
using TSink = std::function<void(TKind kind, const QString& text)>;
// Opens a URL with the user's default program; answers false when that failed.
using TUrlOpener = std::function<bool(const QUrl& url)>;

// A plain information box with the application's title.
void ShowMessage(QWidget* parent, const QString& text);
// The standard error box (critical icon) with the application's title.
void ShowError(QWidget* parent, const QString& text);

// Opens a file, web address or mailto: address with the default program.
bool OpenUrl(const QUrl& url);

// Replace the sink / opener; answer the previous one.
TSink SetSink(TSink sink);
TUrlOpener SetUrlOpener(TUrlOpener opener);

} // namespace Msg
