#pragma once
// Collects the program's message boxes and shell openings during a test
// instead of showing them (header only; the test links velamor_base_ui).

#include "uMessage.h"

#include <QList>
#include <QString>
#include <QUrl>

class MessageCapture {
public:
    explicit MessageCapture(bool openSucceeds = true) {
        oldSink_ = Msg::SetSink([this](Msg::TKind kind, const QString& text) {
            (kind == Msg::TKind::Error ? Errors : Infos).append(text);
        });
        oldOpener_ = Msg::SetUrlOpener([this, openSucceeds](const QUrl& url) {
            Opened.append(url);
            return openSucceeds;
        });
    }
    ~MessageCapture() {
        Msg::SetSink(std::move(oldSink_));
        Msg::SetUrlOpener(std::move(oldOpener_));
    }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    QStringList Infos;
    QStringList Errors;
    QList<QUrl> Opened;

private:
    Msg::TSink oldSink_;
    Msg::TUrlOpener oldOpener_;
};
