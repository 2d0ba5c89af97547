#pragma once

#include <QString>

#include <qcoro/qcorotask.h>

namespace tavimo {

// The two kinds of message box the workflows show.
enum class MessageKind { Information, Critical };

// What the album and artist workflows report to: a status line and a
// message box. The main window shows them; the command line prints them.
class MainView {
public:
    virtual ~MainView() = default;

    virtual void setStatus(const QString &text) = 0;
    // A task that ends once the message box is dismissed.
    virtual QCoro::Task<> showMessage(QString text, MessageKind kind) = 0;
};

} // namespace tavimo
