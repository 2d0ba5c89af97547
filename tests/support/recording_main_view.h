#pragma once

#include "workflow/main_view.h"

#include <QList>
#include <QStringList>

namespace tavimo::test {

// A main window without a window: keeps every status text and message box.
class RecordingMainView : public MainView {
public:
    struct Message {
        QString text;
        MessageKind kind;
    };

    void setStatus(const QString &text) override { statuses.append(text); }
    QCoro::Task<> showMessage(QString text, MessageKind kind) override
    {
        messages.append({text, kind});
        co_return;
    }

    QString lastStatus() const { return statuses.isEmpty() ? QString() : statuses.last(); }
    QStringList messageTexts() const
    {
        QStringList texts;
        for (const Message &message : messages)
            texts.append(message.text);
        return texts;
    }

    QStringList statuses;
    QList<Message> messages;
};

} // namespace tavimo::test
