#pragma once

#include "cli/console_output.h"
#include "workflow/hot_view.h"
#include "workflow/liked_view.h"

#include <QList>

#include <optional>

namespace tavimo::cli {

// The hot-channel window's interface on the console: the channels are kept
// in memory for the command to pick from.
class CliHotView final : public HotView {
public:
    explicit CliHotView(ConsoleOutput &out) : out_(out) {}

    void setStatus(const QString &text) override { out_.status(text); }
    void addChannel(const HotChannel &channel) override { channels_.append(channel); }
    bool isClosed() const override { return false; }

    const QList<HotChannel> &channels() const { return channels_; }
    // The channel with that identifier, if one has it.
    std::optional<HotChannel> find(const QString &id) const;

private:
    ConsoleOutput &out_;
    QList<HotChannel> channels_;
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
QString ChannelListLine(const HotChannel &channel);

} // namespace tavimo::cli
