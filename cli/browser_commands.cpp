#include "cli/browser_commands.h"

#include "cli/cli_browser_views.h"
#include "cli/cookies_file.h"
#include "hot/channel_download.h"
#include "hot/load_hot_channels.h"
#include "liked/liked_harvest.h"
#include "net/download_root.h"
#include "net/mod_xml_http.h"

#include <QNetworkCookieJar>
#include <QUrl>

#include <cstdio>

namespace tavimo::cli {

namespace {

WorkflowContext ContextOf(CommandSetup &setup, CliMainView &view)
{
    return WorkflowContext{setup.hosts, setup.net, setup.downloads, setup.downloadRoot, view};
}

HotPauses PausesOf(const CommandSetup &setup)
{
    HotPauses pauses;
    if (setup.pauseMs >= 0)
        pauses = HotPauses{setup.pauseMs, setup.pauseMs};
    return pauses;
}

// Loads the catalogue into the view; false when it came back empty.
bool LoadCatalogue(CommandSetup &setup, CliMainView &view, CliHotView &hotView)
{
    const WorkflowContext app = ContextOf(setup, view);
    HotContext context{app, hotView, PausesOf(setup)};
    LoadHotChannels(context);
    return hotView.channelCount() > 0;
}

// Puts the file's cookies into the network object's jar; false when the
// file cannot be read or holds no cookie for the radio host.
bool LoadCookies(const QString &path, CommandSetup &setup)
{
    CookiesFile file;
    QString error;
    if (!ReadCookiesFile(path, file, error)) {
        setup.out.error(path + QStringLiteral(": ") + error);
        return false;
    }
    if (file.unreadableLines > 0)
        setup.out.notice(QStringLiteral("%1: %2 unreadable lines skipped").arg(path).arg(file.unreadableLines));
    for (const QNetworkCookie &cookie : file.cookies)
        setup.net.cookieJar()->insertCookie(cookie);
    const QUrl radio(setup.hosts.radioAddress(QStringLiteral("/mine")));
    if (setup.net.cookieJar()->cookiesForUrl(radio).isEmpty()) {
        setup.out.error(path + QStringLiteral(": no cookie for ") + setup.hosts.radio);
        return false;
    }
    return true;
}

} // namespace

void RunChannels(CommandSetup &setup, CliMainView &view)
{
    CliHotView hotView(setup.out);
    LoadCatalogue(setup, view, hotView);
    for (int i = 0; i < hotView.channelCount(); ++i) {
        const QByteArray line = ChannelListLine(hotView.channelId(i), hotView.channelEntry(i)).toUtf8() + '\n';
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    }
    std::fflush(stdout);
}

void RunChannel(const QString &id, CommandSetup &setup, CliMainView &view, RunVerdict &verdict)
{
    CliHotView hotView(setup.out);
    LoadCatalogue(setup, view, hotView);
    if (setup.net.isCancelled())
        return;
    if (!hotView.select(id)) {
        setup.out.error(QStringLiteral("no hot channel has the identifier ") + id);
        verdict.rejected = true;
        return;
    }
    const WorkflowContext app = ContextOf(setup, view);
    HotContext context{app, hotView, PausesOf(setup)};
    DownloadSelectedChannel(context);
}

void RunLiked(const QString &cookiesFile, CommandSetup &setup, CliMainView &view, RunVerdict &verdict)
{
    // The browser profile's own store can only be read by starting the
    // browser engine, which this program does not link.
    if (cookiesFile.isEmpty()) {
        setup.out.error(QStringLiteral("liked needs --cookies FILE (a cookies.txt exported after signing in)"));
        verdict.rejected = true;
        return;
    }
    if (!LoadCookies(cookiesFile, setup)) {
        verdict.rejected = true;
        return;
    }
    PrepareLikedFolder(setup.downloadRoot);
    const WorkflowContext app = ContextOf(setup, view);
    CliLikedView likedView(setup.out);
    LikedContext context{app, likedView};
    HarvestLikedTracks(context);
}

} // namespace tavimo::cli
