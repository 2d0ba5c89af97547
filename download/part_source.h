#pragma once

#include <QString>

namespace tavimo {

// The address a temporary file's bytes came from, kept in the file's extended
// attributes so that kept bytes are only ever continued from the same address.
// Where the file system keeps no such attributes nothing is recorded, and kept
// bytes are then never continued.

// Records address as the source of the file at partPath; false when it could
// not be recorded (then no earlier source stays either).
bool RecordPartSource(const QString &partPath, const QString &address);

// Removes the record, so a finished file carries nothing of it.
void ForgetPartSource(const QString &partPath);

// The recorded source of the file at partPath; empty when there is none.
QString PartSource(const QString &partPath);

} // namespace tavimo
