#include "faults/workflow_runs.h"
#include "download/file_names.h"
#include "net/mod_xml_http.h"
#include "support/temp_root.h"

#include <QDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavimo {
namespace {

using test::Workflow;

std::string Repeated(const std::string &piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

// Names a hostile service could send: path parts, separators, NUL and other
// controls, over-long names (of letters, CJK characters and joined emoji),
// marks and invisible characters, and names that differ only by case.
std::vector<std::string> HostileNames()
{
    using namespace std::string_literals;
    return {
        "..",
        "../../escaped",
        "/",
        "/etc/passwd",
        "\\..\\..\\windows",
        "a\0b/../c"s,
        "\x01\x02\x1b[2J\x7f\r\n\t?*:|\"<>&#39;",
        ". . .",
        std::string(300, 'x'),
        Repeated("歌", 150),
        Repeated("👩‍👩‍👧🇯🇵e\u0301\u0302\u200b", 40) + ". . ",
        "Case Only",
        "CASE ONLY",
    };
}

class HostileNamesTest : public ::testing::TestWithParam<Workflow> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(emulator.start());
        emulator.setMp3Size(500);
        emulator.setLikedCount(int(HostileNames().size()));
        emu::Catalogue &catalogue = emulator.editableCatalogue();
        std::vector<std::string> albumNumbers;
        for (const std::string &name : HostileNames())
            albumNumbers.push_back(catalogue.addExtraAlbum(name, HostileNames()).number);
        targets.albumNumber = albumNumbers.front();
        targets.artistId = catalogue.addExtraArtist(HostileNames().at(1), albumNumbers).id;
        catalogue.renameChannel(0, HostileNames().at(9));
        catalogue.retitleLiked(HostileNames());
        ASSERT_TRUE(QDir(outer.path()).mkdir(QStringLiteral("root")));
    }

    emu::Emulator emulator;
    test::TempRoot outer;
    test::RunTargets targets;
};

// Hostile names never lead a file out of the download root, every name
// written fits the file system, and the run ends normally.
TEST_P(HostileNamesTest, NothingLandsOutsideTheRoot)
{
    ModXmlHttp net;
    FileDownloader files(net);
    const QString root = outer.file(QStringLiteral("root"));
    test::RunWorkflow(GetParam(), emulator, files, root, targets);
    if (GetParam() == Workflow::Album) {
        // Every album, so every name is tried as a folder and as a track.
        for (const emu::Album &album : emulator.catalogue().albums()) {
            if (album.number.rfind("19", 0) == 0)
                test::RunWorkflow(Workflow::Album, emulator, files, root, {album.number, {}});
        }
    }

    const QStringList everything = outer.allFiles();
    EXPECT_FALSE(everything.isEmpty());
    for (const QString &file : everything) {
        EXPECT_TRUE(file.startsWith(QStringLiteral("root/"))) << file.toStdString();
        EXPECT_FALSE(file.endsWith(QLatin1String(kPartialSuffix))) << file.toStdString();
        for (const QString &part : file.split(u'/'))
            EXPECT_LE(part.toUtf8().size(), kMaxFileNameBytes) << file.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(EveryWorkflow, HostileNamesTest,
                         ::testing::Values(Workflow::Album, Workflow::Artist, Workflow::Channel, Workflow::Liked),
                         [](const ::testing::TestParamInfo<Workflow> &info) {
                             return std::string(test::WorkflowName(info.param));
                         });

} // namespace
} // namespace tavimo
