#include "app/widget_dialogs.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>

#include <qcoro/qcorosignal.h>

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

// Opens the box modal to its window and waits for it to be dismissed; the
// box is deleted later, so what it holds can still be read.
QCoro::Task<> Dismissed(QDialog *box)
{
    const QPointer<QDialog> held(box);
    box->open();
    co_await qCoro(box, &QDialog::finished);
    if (held)
        held->deleteLater();
}

} // namespace

QCoro::Task<> WidgetDialogs::messageBox(QString text, QString title, DialogIcon icon)
{
    auto *box = new QMessageBox(BoxIcon(icon), title, text, QMessageBox::Ok, parent_);
    // Texts may carry titles from service pages; never render them as markup.
    box->setTextFormat(Qt::PlainText);
    co_await Dismissed(box);
}

QCoro::Task<QString> WidgetDialogs::inputBox(QString prompt, QString title, QString defaultText)
{
    const QPointer<QInputDialog> box = new QInputDialog(parent_);
    box->setWindowTitle(title);
    box->setLabelText(prompt);
    box->setTextValue(defaultText);
    co_await Dismissed(box);
    co_return box && box->result() == QDialog::Accepted ? box->textValue() : QString();
}

} // namespace tavimo
