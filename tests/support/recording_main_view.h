#pragma once

#include "workflow/main_view.h"

#include <QList>
#include <QMap>
#include <QStringList>

namespace tavimo::test {

// A main window without a window: keeps every status text and message box,
// the buttons' enabled states and the text boxes.
class RecordingMainView : public MainView {
public:
    struct Message {
        QString text;
        DialogIcon icon;
    };

    void setStatus(const QString &text) override { statuses.append(text); }
    void showMessage(const QString &text, DialogIcon icon) override { messages.append({text, icon}); }
    bool isButtonEnabled(MainButton button) const override { return !disabled.value(button, false); }
    void setButtonEnabled(MainButton button, bool enabled) override { disabled[button] = !enabled; }
    QString albumIdText() const override { return albumId; }
    QString singerIdText() const override { return singerId; }
    void setSingerIdText(const QString &text) override { singerId = text; }
    QString singerNameText() const override { return singerName; }

    QString lastStatus() const { return statuses.isEmpty() ? QString() : statuses.last(); }
    QStringList messageTexts() const
    {
        QStringList texts;
        for (const Message &message : messages)
            texts.append(message.text);
        return texts;
    }

    QString albumId;
    QString singerId;
    QString singerName;
    QStringList statuses;
    QList<Message> messages;
    QMap<MainButton, bool> disabled;
};

} // namespace tavimo::test
