#pragma once

#include "script/dialogs.h"

class QWidget;

namespace tavimo {

// The real modal boxes: QMessageBox for messages, QInputDialog for input.
class WidgetDialogs final : public Dialogs {
public:
    explicit WidgetDialogs(QWidget *parent = nullptr) : parent_(parent) {}
    void setParent(QWidget *parent) { parent_ = parent; }

    void messageBox(const QString &text, const QString &title, DialogIcon icon) override;
    QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) override;

private:
    QWidget *parent_;
};

} // namespace tavimo
