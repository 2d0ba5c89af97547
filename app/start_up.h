#pragma once

#include <QString>

namespace tavimo {

class Dialogs;
class MainForm;

// Says in an error box that no download root could be created.
void ReportMissingDownloadRoot(Dialogs &dialogs, const QString &triedFolder);

// Ends the program as soon as the main window closes, abandoning any wait.
void EndProgramWhenClosed(MainForm &form);

} // namespace tavimo
