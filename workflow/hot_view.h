#pragma once

#include <QString>

namespace tavimo {

// One channel of the hot-channel catalogue, its texts as the service gave them.
struct HotChannel {
    QString id;
    QString name;
    QString songCount;

    // Its line in the channel list: name, TAB, "[", track count, "首]".
    QString listEntry() const { return name + u'\t' + u'[' + songCount + QStringLiteral("首]"); }
};

// What the channel workflows report to: the hot-channel window's status
// line and channel list, and whether the window was closed.
class HotView {
public:
    virtual ~HotView() = default;

    virtual void setStatus(const QString &text) = 0; // lblStatus
    // Appends one channel to the list as it is read.
    virtual void addChannel(const HotChannel &channel) = 0;
    // True once the window is closing: a workflow returns at its next wait
    // and writes nothing more.
    virtual bool isClosed() const = 0;
};

} // namespace tavimo
