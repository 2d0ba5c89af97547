#include "cli/cli_options.h"
#include "cli/track_fields.h"
#include "download/file_names.h"
#include "support/temp_root.h"

#include <QFile>

#include <gtest/gtest.h>

namespace tavimo::cli::test {
namespace {

struct TemplateRow {
    QString spelled;
    QString error; // empty when the template is usable
};

// Templates that would leave the root or name nothing usable are refused
// with what is wrong; the others are taken.
TEST(OutputTemplate, RefusesTemplatesThatCannotPlaceATrack)
{
    const QList<TemplateRow> rows = {
        {QStringLiteral("../{title}"), QStringLiteral("输出模板须是下载文件夹之内的相对路径: ../{title}")},
        {QStringLiteral("a/./{title}"), QStringLiteral("输出模板须是下载文件夹之内的相对路径: a/./{title}")},
        {QStringLiteral("/music/{title}"), QStringLiteral("输出模板须是下载文件夹之内的相对路径: /music/{title}")},
        {QString(), QStringLiteral("输出模板为空")},
        {QStringLiteral(".mp3"), QStringLiteral("输出模板为空")},
        {QStringLiteral("{album}/{genre}"), QStringLiteral("输出模板中有未知字段: {genre}")},
        {QStringLiteral("{title:02}"), QStringLiteral("输出模板中有未知字段: {title:02}")},
        {QStringLiteral("{position:x}"), QStringLiteral("输出模板中有未知字段: {position:x}")},
        {QStringLiteral("{artist}/{position:03}-{id} {title}.mp3"), QString()},
    };
    for (const TemplateRow &row : rows) {
        const CliOptions options = ParseCliOptions(
            {QStringLiteral("tavimo-dl"), QStringLiteral("-o"), row.spelled, QStringLiteral("liked")});
        EXPECT_EQ(options.error, row.error) << row.spelled.toStdString();
        EXPECT_EQ(options.shape.output.isEmpty(), !row.error.isEmpty());
    }
}

struct PlaceRow {
    Command command;
    QString spelled;
    QString path; // the workflow's path under the root
    TrackTags tags;
    QString placed;
};

// A value never makes a folder, an empty level disappears, a long part is
// cut to one file name.
TEST(OutputTemplate, PlacesTracksByTheirFields)
{
    const QString root = QStringLiteral("/r");
    const QString longTitle(300, u'x');
    const QList<PlaceRow> rows = {
        {Command::Channel,
         QStringLiteral("{artist}/{album}/{position:02} {title}"),
         QStringLiteral("/r/华语/晴天.mp3"),
         {QStringLiteral("晴天"), QStringLiteral("A/B"), QString(), 0},
         QStringLiteral("/r/AB/ 晴天.mp3")},
        {Command::Album,
         QStringLiteral("{album}/{position:02} {title}"),
         QStringLiteral("/r/a/t.mp3"),
         {QStringLiteral("t"), QString(), QString(), 7},
         QStringLiteral("/r/a/07 t.mp3")},
        {Command::Liked,
         QStringLiteral("{id}/{title}{title}"),
         QStringLiteral("/r/TavimoFM.加心/") + longTitle + ".mp3",
         {},
         QStringLiteral("/r/1780271/") + QString(MaxCleanNameBytes(), u'x') + ".mp3"},
    };
    for (const PlaceRow &row : rows) {
        QString error;
        const std::optional<OutputTemplate> spelled = OutputTemplate::parse(row.spelled, error);
        ASSERT_TRUE(spelled) << row.spelled.toStdString();
        const TrackFile track{QStringLiteral("http://audio/view/song/small/p1780271_192k.mp3"), row.path, row.tags};
        EXPECT_EQ(spelled->fill(root, FieldsOf(row.command, root, track)), row.placed) << row.spelled.toStdString();
    }
}

} // namespace
} // namespace tavimo::cli::test
