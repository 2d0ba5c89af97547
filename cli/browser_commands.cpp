#include "cli/browser_commands.h"

#include "cli/cli_browser_views.h"
#include "workflow/channel_download.h"
#include "workflow/load_hot_channels.h"
#include "workflow/liked_harvest.h"
#include "net/browser_storage.h"
#include "net/cookie_store.h"
#include "download/download_root.h"
#include "net/mod_xml_http.h"

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

// Puts the file's cookies into the network object's store; false when the
// file cannot be read or holds no cookie for the radio host. The browser's
// own file is missing until the window program has run its browser once.
bool LoadCookies(const QString &path, bool browserFile, CommandSetup &setup)
{
    const QString signInHint = QStringLiteral("请先在窗口程序 tavimo 中登录一次, 或用 --cookies 指定导出的 cookies.txt");
    QString error;
    if (!setup.net.cookies().load(path, error)) {
        setup.out.error(browserFile ? QStringLiteral("没有找到窗口程序的登录信息 (%1): %2").arg(path, signInHint)
                                    : QStringLiteral("%1: %2").arg(path, error));
        return false;
    }
    if (!setup.net.cookies().holdsCookieFor(setup.hosts.radio)) {
        setup.out.error(browserFile ? QStringLiteral("窗口程序的浏览器尚未登录 %1 (%2): %3")
                                          .arg(setup.hosts.radio, path, signInHint)
                                    : QStringLiteral("%1: 没有 %2 的 cookie").arg(path, setup.hosts.radio));
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
        setup.out.error(QStringLiteral("没有标识为 %1 的热门兆赫").arg(id));
        verdict.rejected = true;
        return;
    }
    const WorkflowContext app = ContextOf(setup, view);
    HotContext context{app, hotView, PausesOf(setup)};
    DownloadSelectedChannel(context);
}

void RunLiked(const QString &cookiesFile, CommandSetup &setup, CliMainView &view, RunVerdict &verdict)
{
    // Without a file named on the command line, the sign-in is the one the
    // window program's browser keeps.
    const bool browserFile = cookiesFile.isEmpty();
    const QString path = browserFile ? BrowserCookiesFile(DefaultBrowserStorage()) : cookiesFile;
    if (!LoadCookies(path, browserFile, setup)) {
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
