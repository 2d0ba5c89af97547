#pragma once

#include <QString>

#include <qcoro/qcorotask.h>

namespace tavimo {

enum class DialogIcon { Information, Warning, Critical };

// The modal message box and input box, each a task that ends when the box
// is dismissed. Windows show real ones, the command line prints, and tests
// record what was asked and answer from a script.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual QCoro::Task<> messageBox(QString text, QString title, DialogIcon icon) = 0;
    // The entered text, or the empty text when cancelled.
    virtual QCoro::Task<QString> inputBox(QString prompt, QString title, QString defaultText) = 0;
};

} // namespace tavimo
