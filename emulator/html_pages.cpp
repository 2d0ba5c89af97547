#include "emulator/html_pages.h"

#include "emulator/http_text.h"

#include <algorithm>

namespace tavimo::emu::pages {

namespace {

const std::string kIndent16(16, ' ');
const std::string kIndent24(24, ' ');

std::string head(const std::string &title)
{
    return "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n"
           "    <meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
           "    <title>\n        " + title + " (Tavimo)\n</title>\n"
           "    <link rel=\"stylesheet\" href=\"/css/site.css\">\n</head>\n<body>\n";
}

const std::string kFoot = "<div id=\"footer\">&copy; 2013 Tavimo.com, all rights reserved</div>\n</body>\n</html>\n";

std::string trackRow(const Track &track)
{
    return "<tr>\n" + kIndent16 + "<td>" + track.title + "</td>\n" + kIndent16 + "<td align=\"center\">\n" + kIndent24 +
           "<a id=\"song-" + track.songId + "\" href=\"javascript:;\" class=\"start_radio\" title=\"试听\">试听</a>\n" +
           kIndent16 + "</td>\n            </tr>\n";
}

// The same cells laid out with tabs, which the track-row pattern does not accept.
std::string tabbedRow(const Track &track)
{
    return "<tr>\n\t<td>" + track.title + "</td>\n\t<td align=\"center\">\n\t\t<a id=\"song-" + track.songId +
           "\" href=\"javascript:;\">试听</a>\n\t</td>\n</tr>\n";
}

std::string albumLink(const std::string &number, const HostNames &hosts)
{
    return hosts.catalogueAddress("/subject/" + number + "/");
}

std::string artistLink(const std::string &id, const HostNames &hosts)
{
    return hosts.catalogueAddress("/musician/" + id + "/");
}

} // namespace

std::string album(const Album &album, const Catalogue &catalogue, const HostNames &hosts)
{
    std::string page = head(album.title);
    page += "<div id=\"wrapper\">\n<h1><span>" + album.title + "</span></h1>\n";
    page += "<div id=\"info\">表演者: <a href=\"" + artistLink(album.artistId, hosts) + "\">" +
            htmlEscape(catalogue.artistNameOf(album)) + "</a><br/>\n流派: 流行<br/>\n发行时间: 2012-10-01<br/>\n</div>\n";
    page += "<h2>曲目</h2>\n<table class=\"olts\" width=\"100%\">\n<tbody>\n";
    page += "<tr>\n" + kIndent16 + "<th>曲目</th>\n" + kIndent16 + "<th align=\"center\">试听</th>\n            </tr>\n";
    for (const Track &track : album.tracks)
        page += album.rowsMatch ? trackRow(track) : tabbedRow(track);
    page += "</tbody>\n</table>\n</div>\n";
    return page + kFoot;
}

std::string artist(const Artist &artist, const Catalogue &catalogue, const HostNames &hosts)
{
    std::string page = head(artist.headingHtml);
    page += "<div id=\"content\">\n<h1>" + artist.headingHtml + "</h1>\n";
    page += "<div class=\"info\">\n<ul>\n<li><span>地区</span>: 中国</li>\n<li><span>出道</span>: 2003</li>\n</ul>\n</div>\n";
    page += "<div class=\"mod\">\n<h2>最受欢迎的专辑</h2>\n<ul>\n";
    const size_t shown = std::min<size_t>(artist.albumNumbers.size(), 3);
    for (size_t i = 0; i < shown; ++i) {
        const Album *album = catalogue.findAlbum(artist.albumNumbers[i]);
        page += "<li><a href=\"" + albumLink(album->number, hosts) + "\">" + album->title + "</a></li>\n";
    }
    page += "</ul>\n<a href=\"" + artistLink(artist.id, hosts) + "albums?start=0&amp;format=pic&amp;sortby=vote\">全部专辑</a>\n";
    page += "</div>\n</div>\n";
    return page + kFoot;
}

std::string albumListing(const Artist &artist, int start, const Catalogue &catalogue, const HostNames &hosts)
{
    const std::string base = artistLink(artist.id, hosts) + "albums?";
    std::string page = head(artist.headingHtml + "的专辑");
    page += "<div id=\"content\">\n<h1>" + artist.headingHtml + "的专辑</h1>\n";
    page += "<div class=\"sort\">排序: <span class=\"on\">按评价排序</span> | <a href=\"" + base +
            "start=0&amp;format=pic&amp;sortby=time\">按发行时间排序</a></div>\n<div class=\"grid\">\n";
    const int count = static_cast<int>(artist.albumNumbers.size());
    for (int i = std::max(start, 0); i < count && i < start + Catalogue::kListingPageSize; ++i) {
        const Album *album = catalogue.findAlbum(artist.albumNumbers[static_cast<size_t>(i)]);
        const std::string link = albumLink(album->number, hosts);
        // The cover and the title both link the album; the rating link carries a query part.
        page += "<div class=\"item\">\n<a href=\"" + link + "\"><img src=\"/img/cover" + album->number +
                ".jpg\" alt=\"\"></a>\n<p><a href=\"" + link + "\">" + album->title + "</a></p>\n" +
                "<span><a href=\"" + link + "?from=musician_albums\">评价</a></span>\n</div>\n";
    }
    page += "</div>\n<div class=\"paginator\">";
    if (start > 0)
        page += "<a href=\"" + base + "start=" + std::to_string(std::max(start - 10, 0)) +
                "&amp;format=pic&amp;sortby=vote\">&lt;前页</a> ";
    if (start + Catalogue::kListingPageSize < count)
        page += "<a href=\"" + base + "start=" + std::to_string(start + 10) + "&amp;format=pic&amp;sortby=vote\">后页&gt;</a>";
    page += "</div>\n</div>\n";
    return page + kFoot;
}

std::string search(const std::string &text, const std::vector<const Artist *> &found, const Catalogue &catalogue,
                   const HostNames &hosts)
{
    std::string page = head("搜索: " + htmlEscape(text));
    page += "<div id=\"content\">\n<h1>搜索 " + htmlEscape(text) + "</h1>\n";
    if (found.empty())
        page += "<p class=\"nothing\">没有找到与\"" + htmlEscape(text) + "\"相关的结果</p>\n";
    for (const Artist *artist : found) {
        if (artist->albumNumbers.empty())
            continue;
        const std::string number = artist->albumNumbers.front();
        page += "<div class=\"result album\"><a href=\"" + albumLink(number, hosts) + "\">专辑</a></div>\n";
    }
    for (const Artist *artist : found) {
        const std::string link = artistLink(artist->id, hosts);
        if (artist == &catalogue.artist(ArtistCase::UpperCaseSearchLink))
            page += "<div class=\"result\"><a href=\"" + hosts.catalogueAddress("/Musician/" + artist->id + "/") +
                    "\">" + artist->headingHtml + "</a></div>\n";
        page += "<div class=\"result musician\"><a href=\"" + link + "\">" + artist->headingHtml + "</a></div>\n";
    }
    page += "</div>\n";
    return page + kFoot;
}

std::string likedList(const std::vector<Track> &liked, int start, const HostNames &hosts)
{
    std::string page = head("我的红心歌曲");
    page += "<div id=\"content\">\n<h1>我的红心歌曲</h1>\n<div class=\"song_list\">\n";
    const int count = static_cast<int>(liked.size());
    for (int i = std::max(start, 0); i < count && i < start + Catalogue::kLikedPageSize; ++i) {
        const Track &track = liked[static_cast<size_t>(i)];
        page += "<div class=\"song_item\">\n<div class=\"song_info\">\n<p class=\"song_title\">" + track.title +
                "</p>\n<p class=\"performer\">Tavimo</p>\n</div>\n<div class=\"action\" sid=\"" + track.songId +
                "\">\n<a href=\"javascript:;\" class=\"unlike\">取消红心</a>\n</div>\n</div>\n";
    }
    page += "</div>\n<div class=\"paginator\"><a href=\"" + hosts.radioAddress("/mine?start=" + std::to_string(start + 15) +
            "&amp;type=liked") + "\">后页</a></div>\n</div>\n";
    return page + kFoot;
}

std::string signIn(const std::string &redirect, const std::string &error)
{
    std::string page = head("登录");
    page += "<div id=\"content\">\n<h1>登录 Tavimo</h1>\n";
    if (!error.empty())
        page += "<p class=\"error\" id=\"error\">" + htmlEscape(error) + "</p>\n";
    page += "<form id=\"lzform\" name=\"lzform\" method=\"post\" action=\"/common_login?redir=" + htmlEscape(percentEncode(redirect)) +
            "\">\n<input type=\"text\" id=\"email\" name=\"form_email\" value=\"\">\n"
            "<input type=\"password\" id=\"password\" name=\"form_password\" value=\"\">\n"
            "<input type=\"submit\" id=\"login\" name=\"login\" value=\"登录\">\n</form>\n</div>\n";
    return page + kFoot;
}

std::string radioHome(const HostNames &hosts)
{
    return head("Tavimo FM") + "<div id=\"content\">\n<h1>Tavimo FM</h1>\n<a href=\"" +
           hosts.radioAddress("/mine") + "\">我的电台</a>\n</div>\n" + kFoot;
}

std::string mine(const HostNames &hosts)
{
    return head("我的电台") + "<div id=\"content\">\n<h1>我的电台</h1>\n<a href=\"" +
           hosts.radioAddress("/mine?type=liked") + "\">红心歌曲</a>\n</div>\n" + kFoot;
}

std::string statusText(int status)
{
    switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 407: return "Proxy Authentication Required";
    case 416: return "Range Not Satisfiable";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
    default: return "Error";
    }
}

std::string error(int status)
{
    const std::string line = std::to_string(status) + " " + statusText(status);
    return "<html>\r\n<head><title>" + line + "</title></head>\r\n<body bgcolor=\"white\">\r\n<center><h1>" + line +
           "</h1></center>\r\n<hr><center>tavimo-emulator</center>\r\n</body>\r\n</html>\r\n";
}

std::string unreachable(const std::string &address)
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>错误: 您所请求的网址（URL）无法获取</title></head>\n"
           "<body>\n<h2>错误</h2>\n<h3>您所请求的网址（URL）无法获取</h3>\n<p>当尝试获取: <a href=\"" + htmlEscape(address) +
           "\">" + htmlEscape(address) + "</a> 时，发生了下列错误:</p>\n<p>文件不存在</p>\n</body></html>\n";
}

} // namespace tavimo::emu::pages
