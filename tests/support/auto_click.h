#pragma once

#include <QString>

namespace tavimo {
class BrowserWindows;
class MainForm;
} // namespace tavimo

namespace tavimo::test {

// Drives a started window program as a user would, for the tests of an
// installed copy. The trigger:
// - "album" (or "album=<address>" to type one first) presses the album
//   button;
// - "liked" (or "liked=<email>:<password>" to fill in the sign-in page)
//   opens the liked-tracks window and waits until its harvest has ended.
// Either way the main window's final status is printed on standard output
// and the program ends.
void ArmAutoClick(MainForm &form, BrowserWindows &windows, const QString &trigger);

} // namespace tavimo::test
