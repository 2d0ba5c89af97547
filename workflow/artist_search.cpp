#include "workflow/artist_search.h"

#include "parse/regex_module.h"
#include "workflow/address_input.h"
#include "workflow/artist_download.h"

namespace tavimo {

FoundArtist FindArtist(const WorkflowContext &context, const QString &name)
{
    const RunTally tally(context.downloads);
    context.view.setStatus(QStringLiteral("正在获取歌手的所有专辑... "));
    const QString searchAddress = context.hosts.catalogueAddress(QStringLiteral("/subject_search?search_text=")) + name;
    const QString results = context.net.GetHttpText(QStringLiteral("UTF-8"), searchAddress);
    if (context.stopped())
        return {tally.result(RunEnd::Stopped), QString()};
    const QString prefix = context.artistAddressPrefix();
    const QString artistId = IdentifierFromAddress(RegexFirstMatch(prefix + QStringLiteral("\\d+/"), results), prefix);
    if (!ReadsAsNumber(artistId))
        return {context.refuse(tally, QStringLiteral("找不到对应歌手")), QString()};
    return {tally.result(RunEnd::Done), prefix + artistId + u'/'};
}

RunResult DownloadArtistByName(const WorkflowContext &context, const QString &name)
{
    const FoundArtist found = FindArtist(context, name);
    return found.address.isEmpty() ? found.result : DownloadArtistByPage(context, found.address);
}

} // namespace tavimo
