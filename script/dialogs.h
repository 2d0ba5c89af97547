#pragma once

#include <QString>

namespace tavimo {

enum class DialogIcon { Information, Warning, Critical };

// The modal message box and input box. Windows show real ones, the command
// line prints, and tests record what was asked and answer from a script.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void messageBox(const QString &text, const QString &title, DialogIcon icon) = 0;
    // Returns the entered text, or the empty text when cancelled.
    virtual QString inputBox(const QString &prompt, const QString &title, const QString &defaultText) = 0;
};

} // namespace tavimo
