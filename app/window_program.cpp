#include "app/window_program.h"

#include "app/start_up.h"

namespace tavimo {

WindowProgram::WindowProgram(const QString &downloadRoot)
    : form_(ServiceHosts::builtIn(), files_, dialogs_, downloadRoot),
      windows_(form_, ServiceHosts::builtIn(), files_, downloadRoot)
{
    dialogs_.setParent(&form_);
    EndProgramWhenClosed(form_);
    ArmAutoClick(form_, windows_);
}

} // namespace tavimo
