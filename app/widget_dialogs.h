#pragma once

#include "script/dialogs.h"

class QWidget;

namespace tavimo {

// The real boxes: QMessageBox for messages, QInputDialog for input, each
// opened modal to its parent and awaited, never run in a loop of its own.
class WidgetDialogs final : public Dialogs {
public:
    explicit WidgetDialogs(QWidget *parent = nullptr) : parent_(parent) {}
    void setParent(QWidget *parent) { parent_ = parent; }

    QCoro::Task<> messageBox(QString text, QString title, DialogIcon icon) override;
    QCoro::Task<QString> inputBox(QString prompt, QString title, QString defaultText) override;

private:
    QWidget *parent_;
};

} // namespace tavimo
