#include "cli/browser_commands.h"

#include "cli/cli_browser_views.h"
#include "download/download_root.h"
#include "net/browser_storage.h"
#include "net/cookie_store.h"
#include "net/mod_xml_http.h"
#include "workflow/channel_download.h"
#include "workflow/liked_harvest.h"
#include "workflow/load_hot_channels.h"


namespace tavimo::cli {

namespace {

// Refuses the command's input with a message of its own.
RunResult Refuse(const WorkflowContext &context, const QString &message)
{
    return context.refuse(RunTally(context.downloads), message);
}

// Loads the catalogue into the view; NothingFound when it came back empty.
RunResult LoadCatalogue(const WorkflowContext &context, CliHotView &hotView)
{
    HotContext hot{context, hotView};
    RunResult result = LoadHotChannels(hot);
    if (result.end == RunEnd::NothingFound)
        result.reason = QStringLiteral("没有读到热门兆赫列表");
    return result;
}

// Puts the file's cookies into the network object's store; the refusal when
// the file cannot be read or holds no cookie for the radio host. The
// browser's own file is missing until the window program has run its
// browser once.
std::optional<RunResult> LoadCookies(const QString &path, bool browserFile, const WorkflowContext &context)
{
    const QString signInHint = QStringLiteral("请先在窗口程序 tavimo 中登录一次, 或用 --cookies 指定导出的 cookies.txt");
    const QString radio = context.hosts.radio;
    QString error;
    if (!context.net.cookies().load(path, error)) {
        return Refuse(context, browserFile ? QStringLiteral("没有找到窗口程序的登录信息 (%1): %2").arg(path, signInHint)
                                           : QStringLiteral("%1: %2").arg(path, error));
    }
    if (!context.net.cookies().holdsCookieFor(radio)) {
        return Refuse(context, browserFile ? QStringLiteral("窗口程序的浏览器尚未登录 %1 (%2): %3").arg(radio, path, signInHint)
                                           : QStringLiteral("%1: 没有 %2 的 cookie").arg(path, radio));
    }
    return std::nullopt;
}

} // namespace

RunResult RunChannels(const WorkflowContext &context, ConsoleOutput &out,
                      const std::function<void(const HotChannel &)> &show)
{
    CliHotView hotView(out);
    const RunResult result = LoadCatalogue(context, hotView);
    for (const HotChannel &channel : hotView.channels())
        show(channel);
    return result;
}

RunResult RunChannel(const QString &id, const WorkflowContext &context, ConsoleOutput &out)
{
    CliHotView hotView(out);
    const RunResult catalogue = LoadCatalogue(context, hotView);
    if (catalogue.end == RunEnd::Stopped)
        return catalogue;
    const std::optional<HotChannel> channel = hotView.find(id);
    if (!channel)
        return Refuse(context, QStringLiteral("没有标识为 %1 的热门兆赫").arg(id));
    HotContext hot{context, hotView};
    return DownloadChannel(hot, *channel);
}

RunResult RunLiked(const QString &cookiesFile, const WorkflowContext &context, ConsoleOutput &out)
{
    // Without a file named on the command line, the sign-in is the one the
    // window program's browser keeps.
    const bool browserFile = cookiesFile.isEmpty();
    const QString path = browserFile ? BrowserCookiesFile(DefaultBrowserStorage()) : cookiesFile;
    if (const std::optional<RunResult> refused = LoadCookies(path, browserFile, context))
        return *refused;
    context.downloads.prepareFolder(context.downloadRoot + u'/' + QString::fromUtf16(kLikedFolderName));
    CliLikedView likedView(out);
    LikedContext liked{context, likedView};
    return HarvestLikedTracks(liked);
}

} // namespace tavimo::cli
