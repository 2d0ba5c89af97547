#pragma once

#include "cli/console_output.h"
#include "workflow/hot_view.h"
#include "workflow/liked_view.h"

#include <QList>
#include <QPair>

namespace tavimo::cli {

// The hot-channel window's interface on the console: the channel lists are
// kept in memory, the selection is set by the command line.
class CliHotView final : public HotView {
public:
    explicit CliHotView(ConsoleOutput &out) : out_(out) {}

    void setStatus(const QString &text) override { out_.status(text); }
    void addChannel(const QString &entry, const QString &id) override { channels_.append({entry, id}); }
    int selectedChannel() const override { return selected_; }
    QString channelEntry(int position) const override { return channels_.value(position).first; }
    QString channelId(int position) const override { return channels_.value(position).second; }
    void setDownloadEnabled(bool) override {}
    bool isClosed() const override { return false; }

    int channelCount() const { return static_cast<int>(channels_.size()); }
    // Selects the channel with that identifier; false when none has it.
    bool select(const QString &id);

private:
    ConsoleOutput &out_;
    QList<QPair<QString, QString>> channels_; // entry, identifier
    int selected_ = -1;
};

// The liked-tracks window's interface on the console: only its status line
// has something to show.
class CliLikedView final : public LikedView {
public:
    explicit CliLikedView(ConsoleOutput &out) : out_(out) {}

    void setStatus(const QString &text) override { out_.status(text); }
    void setCaption(const QString &) override {}
    void showProgressLayout() override {}
    void closeWindow() override {}
    bool isClosed() const override { return false; }

private:
    ConsoleOutput &out_;
};

// One line of the channel list: identifier, name and track count, TAB-separated.
QString ChannelListLine(const QString &id, const QString &entry);

} // namespace tavimo::cli
