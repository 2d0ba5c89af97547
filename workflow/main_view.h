#pragma once

#include "script/dialogs.h"

#include <QString>

namespace tavimo {

// The workflow buttons of the main window, by their control names.
enum class MainButton { cmdDown2, cmdDown, cmdSinger, cmdSinger2 };

// What the album and artist workflows see of the main window: its status
// line, its message box (titled with the window caption), the enabled state
// of its workflow buttons and the text boxes they read and write. The window
// implements it; the command line implements it without a window.
class MainView {
public:
    virtual ~MainView() = default;

    virtual void setStatus(const QString &text) = 0;
    virtual void showMessage(const QString &text, DialogIcon icon) = 0;

    virtual bool isButtonEnabled(MainButton button) const = 0;
    virtual void setButtonEnabled(MainButton button, bool enabled) = 0;

    virtual QString albumIdText() const = 0;   // txtAlbumID
    virtual QString singerIdText() const = 0;  // txtSingerID
    virtual void setSingerIdText(const QString &text) = 0;
    virtual QString singerNameText() const = 0; // txtSingerName
};

// Disables a workflow button for the length of one run and enables it again
// on every way out of the run.
class ButtonBusy {
public:
    ButtonBusy(MainView &view, MainButton button) : view_(view), button_(button)
    {
        view_.setButtonEnabled(button_, false);
    }
    ~ButtonBusy() { view_.setButtonEnabled(button_, true); }
    ButtonBusy(const ButtonBusy &) = delete;
    ButtonBusy &operator=(const ButtonBusy &) = delete;

private:
    MainView &view_;
    MainButton button_;
};

} // namespace tavimo
