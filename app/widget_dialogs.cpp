#include "app/widget_dialogs.h"

#include <QInputDialog>
#include <QMessageBox>

namespace tavimo {

namespace {

QMessageBox::Icon BoxIcon(DialogIcon icon)
{
    switch (icon) {
    case DialogIcon::Warning:
        return QMessageBox::Warning;
    case DialogIcon::Critical:
        return QMessageBox::Critical;
    case DialogIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

} // namespace

void WidgetDialogs::messageBox(const QString &text, const QString &title, DialogIcon icon)
{
    QMessageBox box(BoxIcon(icon), title, text, QMessageBox::Ok, parent_);
    // Texts may carry titles from service pages; never render them as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString WidgetDialogs::inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    bool accepted = false;
    const QString text = QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, defaultText, &accepted);
    return accepted ? text : QString();
}

} // namespace tavimo
