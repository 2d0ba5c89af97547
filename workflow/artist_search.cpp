#include "workflow/artist_search.h"

#include "workflow/address_input.h"
#include "parse/regex_module.h"

namespace tavimo {

void ArtistSearch::cmdSinger2_Click()
{
    // The artist button's disabled state is the sign of a running artist download.
    if (!ctx_.view.isButtonEnabled(MainButton::cmdSinger)) {
        ctx_.view.showMessage(QStringLiteral("请先等待上一个操作完成"), DialogIcon::Information);
        return;
    }
    ctx_.view.setStatus(QStringLiteral("正在获取歌手的所有专辑... "));
    ButtonBusy busy(ctx_.view, MainButton::cmdSinger2);
    const QString searchAddress =
        ctx_.hosts.catalogueAddress(QStringLiteral("/subject_search?search_text=")) + ctx_.view.singerNameText();
    const QString results = ctx_.net.GetHttpText(QStringLiteral("UTF-8"), searchAddress);
    if (ctx_.stopped())
        return;
    const QString prefix = ctx_.artistAddressPrefix();
    const QString artistLink = RegexFirstMatch(prefix + QStringLiteral("\\d+/"), results);
    const QString artistId = IdentifierFromAddress(artistLink, prefix);
    if (!ReadsAsNumber(artistId)) {
        ctx_.view.showMessage(QStringLiteral("找不到对应歌手"), DialogIcon::Critical);
        return;
    }
    ctx_.view.setSingerIdText(prefix + artistId + u'/');
    artist_.cmdSinger_Click();
}

} // namespace tavimo
