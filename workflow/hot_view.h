#pragma once

#include <QString>

namespace tavimo {

// What the channel workflows see of `hotForm`: its status line, the two
// parallel channel lists, its download button, and whether it was closed.
class HotView {
public:
    virtual ~HotView() = default;

    virtual void setStatus(const QString &text) = 0; // lblStatus

    // Appends one channel: the entry text to `LstChannel` and its identifier
    // to `LstChannelID`, at the same position.
    virtual void addChannel(const QString &entry, const QString &id) = 0;
    // Position of the selected `LstChannel` entry, or -1 when none is.
    virtual int selectedChannel() const = 0;
    virtual QString channelEntry(int position) const = 0;
    virtual QString channelId(int position) const = 0;

    virtual void setDownloadEnabled(bool enabled) = 0; // cmdDown

    // True once the window is closing: a workflow returns at its next wait
    // and writes nothing more.
    virtual bool isClosed() const = 0;
};

} // namespace tavimo
