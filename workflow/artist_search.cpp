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
    const QString results = co_await context.fetch(QStringLiteral("UTF-8"), searchAddress);
    if (context.stopped())
        co_return FoundArtist{tally.result(RunEnd::Stopped), QString()};
    const QString prefix = context.artistAddressPrefix();
    const QString artistId = IdentifierFromAddress(RegexFirstMatch(prefix + QStringLiteral("\\d+/"), results), prefix);
    if (!ReadsAsNumber(artistId)) {
        const RunResult refused = co_await context.refuse(tally, QStringLiteral("找不到对应歌手"));
        co_return FoundArtist{refused, QString()};
    }
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
