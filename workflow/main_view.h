#pragma once

#include <QString>

namespace tavimo {

// The two kinds of message box the workflows show.
enum class MessageKind { Information, Critical };

// What the album and artist workflows report to: a status line and a
// message box. The main window shows them; the command line prints them.
class MainView {
public:
    virtual ~MainView() = default;

    virtual void setStatus(const QString &text) = 0;
    virtual void showMessage(const QString &text, MessageKind kind) = 0;
};

} // namespace tavimo
