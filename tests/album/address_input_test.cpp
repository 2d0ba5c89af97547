#include "tests/support/workflow_fixture.h"
#include "workflow/address_input.h"

#include <QDir>

#include <functional>

namespace tavimo {
namespace {

const QString kAlbumPrefix = QStringLiteral("http://music.tavimo.com/subject/");

struct AddressCase {
    const char *typed;
    const char *identifier;
    bool accepted;
};

// Typed album addresses reduce to the album number; only blanks around are trimmed and only plain
// digits pass.
TEST(AddressInput, AlbumAddressesReduceToPlainNumbers)
{
    const AddressCase cases[] = {
        {"http://music.tavimo.com/subject/1403307/", "1403307", true},
        {"http://music.tavimo.com/subject/1403307", "1403307", true},
        {"   http://music.tavimo.com/subject/1403307/  ", "1403307", true},
        {"1403307", "1403307", true},
        {"https://music.tavimo.com/subject/1403307/", "https:music.tavimo.comsubject1403307", false},
        {"http://music.tavimo.com/subject/1403307/?from=top", "1403307?from=top", false},
        {"http://music.tavimo.com/musician/104785/", "http:music.tavimo.commusician104785", false},
        {"HTTP://MUSIC.TAVIMO.COM/subject/1403307/", "HTTP:MUSIC.TAVIMO.COMsubject1403307", false},
        {"", "", false},
        {"   ", "", false},
        {"/ /", "", false},
        {"12 34", "12 34", false},
        {"-12", "-12", false},
        {"+12", "+12", false},
        {"1.5", "1.5", false},
        {"1e5", "1e5", false},
        {"1,000", "1,000", false},
        {"0x10", "0x10", false},
        {"\t12", "\t12", false},
        {"12\n", "12\n", false},
        {"１２３", "１２３", false},
    };
    for (const AddressCase &row : cases) {
        SCOPED_TRACE(row.typed);
        const QString identifier = IdentifierFromAddress(QString::fromUtf8(row.typed), kAlbumPrefix);
        EXPECT_EQ(identifier, QString::fromUtf8(row.identifier));
        EXPECT_EQ(ReadsAsNumber(identifier), row.accepted);
    }
}

struct RejectedRow {
    const char *name;
    std::function<void(const QString &)> run; // the workflow, on what was typed
    QString typed;
    QString message;
    bool fetches = false; // whether deciding needs the service
};

using RejectedInputTest = test::WorkflowFixture;

// Input a workflow cannot use ends it as rejected with one critical box
// saying why; an address is refused before any request, and nothing is
// created.
TEST_F(RejectedInputTest, SaysWhyAndCreatesNothing)
{
    const QString album = albumAddress(emulator.catalogue().album(emu::AlbumCase::Plain));
    const QString artist = artistAddress(emulator.catalogue().artist(emu::ArtistCase::Plain));
    const QString upperCaseLinkName =
        q(emulator.catalogue().artist(emu::ArtistCase::UpperCaseSearchLink).name).section(u' ', 0, 0);
    const QString badAlbum = QStringLiteral("专辑地址无法识别");
    const QString badArtist = QStringLiteral("歌手地址输入有误");
    const QString noArtist = QStringLiteral("找不到对应歌手");
    const auto albumPage = [this](const QString &typed) { runAlbum(typed); };
    const auto albumPlaylist = [this](const QString &typed) { runPlaylist(typed); };
    const auto artistPage = [this](const QString &typed) { runArtist(typed); };
    const auto artistName = [this](const QString &typed) { searchArtist(typed); };
    const RejectedRow rows[] = {
        {"album, nothing typed", albumPage, QString(), badAlbum},
        {"album over https", albumPage, QString(album).replace(QStringLiteral("http:"), QStringLiteral("https:")), badAlbum},
        {"artist address as album", albumPage, artist, badAlbum},
        {"playlist of another host", albumPlaylist, QStringLiteral("http://elsewhere/subject/1/"),
         QStringLiteral("专辑地址输入有误")},
        {"artist, nothing typed", artistPage, QString(), badArtist},
        {"artist over https", artistPage, QString(artist).replace(QStringLiteral("http:"), QStringLiteral("https:")), badArtist},
        {"artist with a query", artistPage, artist + QStringLiteral("?x=1"), badArtist},
        {"album address as artist", artistPage, album, badArtist},
        {"unknown artist", artistPage, QStringLiteral("999999"), QStringLiteral("对应歌手不存在! 请再次检查输入."), true},
        {"no artist of the name", artistName, QStringLiteral("nobody-at-all"), noArtist, true},
        // An empty name still asks the search, with nothing after "search_text=".
        {"empty name", artistName, QString(), noArtist, true},
        // The first link in other letter case is no usable link.
        {"upper-case search link", artistName, upperCaseLinkName, noArtist, true},
    };
    for (const RejectedRow &row : rows) {
        SCOPED_TRACE(row.name);
        view.messages.clear();
        emulator.clearRequestLog();
        row.run(row.typed);
        ASSERT_EQ(view.messageTexts(), QStringList{row.message});
        EXPECT_EQ(view.messages.front().kind, MessageKind::Critical);
        // What the service answered is no fault of the input's form.
        EXPECT_EQ(result.end, row.fetches ? RunEnd::NothingFound : RunEnd::Rejected);
        EXPECT_EQ(result.reason, row.message);
        EXPECT_EQ(emulator.requestLog().empty(), !row.fetches);
        EXPECT_TRUE(QDir(root.path()).isEmpty());
    }
}

} // namespace
} // namespace tavimo
