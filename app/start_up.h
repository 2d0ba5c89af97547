#pragma once

#include <QString>

namespace tavimo {

class Dialogs;
class MainForm;

// Says in an error box that no download root could be created.
void ReportMissingDownloadRoot(Dialogs &dialogs, const QString &triedFolder);

// Ends the program as soon as the main window closes, abandoning any wait.
void EndProgramWhenClosed(MainForm &form);

// A hidden trigger for tests of the installed program: with
// TAVIMO_AUTOCLICK=album (or album=<address> to type one first) the album
// button is pressed after start-up, the final status is printed on standard
// output, and the program ends.
void ArmAutoClick(MainForm &form);

} // namespace tavimo
