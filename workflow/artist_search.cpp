#include "workflow/artist_search.h"

#include "parse/regex_module.h"
#include "workflow/address_input.h"
#include "workflow/artist_download.h"

namespace tavimo {

QCoro::Task<FoundArtist> FindArtist(const WorkflowContext &context, QString name)
{
    const RunTally tally(context.downloads);
    context.view.setStatus(QStringLiteral("正在获取歌手的所有专辑... "));
    const QString searchAddress = context.hosts.catalogueAddress(QStringLiteral("/subject_search?search_text=")) + name;
    const PageReply results = co_await context.fetchPage(QStringLiteral("UTF-8"), searchAddress);
    if (context.stopped())
        co_return FoundArtist{tally.result(RunEnd::Stopped), QString()};
    if (std::optional<RunResult> failed = context.failedPage(tally, results))
        co_return FoundArtist{*failed, QString()};
    const QString prefix = context.artistAddressPrefix();
    const QString artistId = IdentifierFromAddress(RegexFirstMatch(prefix + QStringLiteral("\\d+/"), results.text),
                                                   prefix);
    if (!ReadsAsNumber(artistId))
        co_return FoundArtist{co_await context.notFound(tally, QStringLiteral("找不到对应歌手")), QString()};
    co_return FoundArtist{tally.result(RunEnd::Done), prefix + artistId + u'/'};
}

QCoro::Task<RunResult> DownloadArtistByName(const WorkflowContext &context, QString name)
{
    const FoundArtist found = co_await FindArtist(context, name);
    if (found.address.isEmpty())
        co_return found.result;
    co_return co_await DownloadArtistByPage(context, found.address);
}

} // namespace tavimo
