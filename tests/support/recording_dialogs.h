#pragma once

#include "script/dialogs.h"

#include <QList>
#include <QStringList>

namespace tavimo::test {

// Records every box instead of showing it; input boxes answer from a queue
// (the empty text, as a cancel, when the queue is empty).
class RecordingDialogs : public Dialogs {
public:
    struct Box {
        QString kind; // "message" or "input"
        QString text;
        QString title;
        DialogIcon icon = DialogIcon::Information;
        QString defaultText;
    };

    QCoro::Task<> messageBox(QString text, QString title, DialogIcon icon) override
    {
        boxes.append({QStringLiteral("message"), text, title, icon, {}});
        co_return;
    }
    QCoro::Task<QString> inputBox(QString prompt, QString title, QString defaultText) override
    {
        boxes.append({QStringLiteral("input"), prompt, title, DialogIcon::Information, defaultText});
        co_return answers.isEmpty() ? QString() : answers.takeFirst();
    }

    QStringList texts() const
    {
        QStringList all;
        for (const Box &box : boxes)
            all.append(box.text);
        return all;
    }

    QList<Box> boxes;
    QStringList answers;
};

} // namespace tavimo::test
