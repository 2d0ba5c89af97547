#pragma once

#include <QString>

#include <qcoro/qcorotask.h>

namespace tavimo {

class Dialogs;
class MainForm;

// Says in an error box that no download root could be created; the task
// ends when the box is dismissed.
QCoro::Task<> ReportMissingDownloadRoot(Dialogs &dialogs, QString triedFolder);

// Ends the program as soon as the main window closes: the close cancelled
// every transfer, and the event loop ends without resuming the tasks that
// wait.
void EndProgramWhenClosed(MainForm &form);

} // namespace tavimo
