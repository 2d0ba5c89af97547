#pragma once

#include <QString>

#include <functional>

namespace tavimo {

// What became of one DownloadFile call. The workflows go on whatever it is;
// the command line counts them for its summary.
enum class DownloadOutcome { Saved, AlreadyPresent, Failed, Cancelled };

// The outcome with why a download failed: the HTTP status, the transport's
// error in curl's words, the file system's error; empty when it did not.
struct DownloadEnd {
    DownloadEnd(DownloadOutcome outcome, QString reason = QString()) : outcome(outcome), reason(std::move(reason)) {}
    DownloadOutcome outcome;
    QString reason;
};

using DownloadDone = std::function<void(const DownloadEnd &)>;
using DownloadTransferred = std::function<void()>;

} // namespace tavimo
