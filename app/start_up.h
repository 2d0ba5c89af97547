#pragma once

#include <QString>

namespace tavimo {

class BrowserWindows;
class Dialogs;
class MainForm;

// Says in an error box that no download root could be created.
void ReportMissingDownloadRoot(Dialogs &dialogs, const QString &triedFolder);

// Ends the program as soon as the main window closes, abandoning any wait.
void EndProgramWhenClosed(MainForm &form);

// A hidden trigger for tests of the installed program, read from
// TAVIMO_AUTOCLICK:
// - "album" (or "album=<address>" to type one first) presses the album
//   button after start-up;
// - "liked" (or "liked=<email>:<password>" to fill in the sign-in page)
//   opens the liked-tracks window and waits until its harvest has ended.
// Either way the main window's final status is printed on standard output
// and the program ends.
void ArmAutoClick(MainForm &form, BrowserWindows &windows);

} // namespace tavimo
