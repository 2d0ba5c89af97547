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
QCoro::Task<RunResult> Refuse(const WorkflowContext &context, const QString &message)
{
    return context.refuse(RunTally(context.downloads), message);
}

// Loads the catalogue into the view; NothingFound when it came back empty.
QCoro::Task<RunResult> LoadCatalogue(const WorkflowContext &context, CliHotView &hotView)
{
    const HotContext hot{context, hotView};
    RunResult result = co_await LoadHotChannels(hot);
    if (result.end == RunEnd::NothingFound)
        result.reason = QStringLiteral("没有读到热门兆赫列表");
    co_return result;
}

// Puts the file's cookies into the network object's store; why not, when
// the file cannot be read or holds no cookie for the radio host. The
// browser's own file is missing until the window program has run its
// browser once.
std::optional<QString> LoadCookies(const QString &path, bool browserFile, const WorkflowContext &context)
{
    const QString signInHint = QStringLiteral(
        "请先在窗口程序 tavimo 中登录一次, 或用 --cookies 指定导出的 cookies.txt");
    const QString radio = context.hosts.radio;
    QString error;
    if (!context.net.cookies().load(path, error)) {
        return browserFile ? QStringLiteral("没有找到窗口程序的登录信息 (%1): %2").arg(path, signInHint)
                           : QStringLiteral("%1: %2").arg(path, error);
    }
    if (!context.net.cookies().holdsCookieFor(radio)) {
        return browserFile ? QStringLiteral("窗口程序的浏览器尚未登录 %1 (%2): %3").arg(radio, path, signInHint)
                           : QStringLiteral("%1: 没有 %2 的 cookie").arg(path, radio);
    }
    return std::nullopt;
}

} // namespace

QCoro::Task<RunResult> RunChannels(const WorkflowContext &context, ConsoleOutput &out,
                                   std::function<void(const HotChannel &)> show)
{
    CliHotView hotView(out);
    const RunResult result = co_await LoadCatalogue(context, hotView);
    for (const HotChannel &channel : hotView.channels())
        show(channel);
    co_return result;
}

QCoro::Task<RunResult> RunChannel(QString id, const WorkflowContext &context, ConsoleOutput &out)
{
    CliHotView hotView(out);
    const RunResult catalogue = co_await LoadCatalogue(context, hotView);
    if (catalogue.end == RunEnd::Stopped || catalogue.failedPage.failed())
        co_return catalogue;
    const std::optional<HotChannel> channel = hotView.find(id);
    if (!channel)
        co_return co_await context.notFound(RunTally(context.downloads),
                                            QStringLiteral("没有标识为 %1 的热门兆赫").arg(id));
    const HotContext hot{context, hotView};
    co_return co_await DownloadChannel(hot, *channel);
}

QCoro::Task<RunResult> RunLiked(QString cookiesFile, const WorkflowContext &context, ConsoleOutput &out)
{
    // Without a file named on the command line, the sign-in is the one the
    // window program's browser keeps.
    const bool browserFile = cookiesFile.isEmpty();
    const QString path = browserFile ? BrowserCookiesFile(DefaultBrowserStorage()) : cookiesFile;
    if (const std::optional<QString> refusal = LoadCookies(path, browserFile, context))
        co_return co_await Refuse(context, *refusal);
    context.downloads.prepareFolder(context.downloadRoot + u'/' + QString::fromUtf16(kLikedFolderName));
    CliLikedView likedView(out);
    const LikedContext liked{context, likedView};
    co_return co_await HarvestLikedTracks(liked);
}

} // namespace tavimo::cli
