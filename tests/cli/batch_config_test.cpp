#include "support/tavimo_dl_runner.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace tavimo::cli::test {
namespace {

using emu::AlbumCase;

QList<QJsonObject> LinesOfType(const QString &out, const QString &type)
{
    QList<QJsonObject> lines;
    for (const QString &line : out.split(u'\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        if (object.value(QStringLiteral("type")).toString() == type)
            lines.append(object);
    }
    return lines;
}

// Several addresses and a batch file run as jobs of one run: a summary per
// job and one for the run, whose exit status is the worst of the jobs'.
TEST_F(TavimoDlTest, BatchJobsRunInOrderWithOneSummary)
{
    root.write(QStringLiteral("batch.txt"),
               ("# two more\n\nalbum --playlist " + albumAddress(AlbumCase::EqualTitles) +
                "\n  artist --name \"Moon Band\"  \nalbum http://music.tavimo.com/subject/oops/\n")
                   .toUtf8());
    const RunResult result = run({QStringLiteral("--jobs"), QStringLiteral("4"), QStringLiteral("--json"),
                                  QStringLiteral("-a"), root.file(QStringLiteral("batch.txt")), QStringLiteral("album"),
                                  albumAddress(AlbumCase::Plain), albumAddress(AlbumCase::MissingFiles)});
    EXPECT_EQ(result.exitCode, 2) << result.err.toStdString();
    const QList<QJsonObject> jobs = LinesOfType(result.out, QStringLiteral("job"));
    ASSERT_EQ(jobs.size(), 5);
    const int exits[] = {0, 1, 0, 0, 2};
    int saved = 0;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(jobs[i].value(QStringLiteral("exit")).toInt(), exits[i]) << i;
        saved += jobs[i].value(QStringLiteral("saved")).toInt();
    }
    EXPECT_EQ(jobs[3].value(QStringLiteral("argument")).toString(), QStringLiteral("Moon Band"));
    const QList<QJsonObject> summary = LinesOfType(result.out, QStringLiteral("summary"));
    ASSERT_EQ(summary.size(), 1);
    EXPECT_EQ(summary[0].value(QStringLiteral("saved")).toInt(), saved);
    EXPECT_EQ(summary[0].value(QStringLiteral("exit")).toInt(), 2);
    EXPECT_EQ(result.err.count(QStringLiteral("完成: ")), 1);
    EXPECT_EQ(result.out.count(QStringLiteral("\"type\":\"track\"")),
              summary[0].value(QStringLiteral("saved")).toInt() + summary[0].value(QStringLiteral("present")).toInt() +
                  summary[0].value(QStringLiteral("failed")).toInt());
}

// A job starts once the one before has handed all its tracks over, not
// before and not only once they ended, and at most two jobs are under way:
// each job's files and counts are its own, its line in the order given.
TEST_F(TavimoDlTest, BatchJobStartsOnceTheOneBeforeHandedOver)
{
    const emu::Album &second = emulator.editableCatalogue().addExtraAlbum("乙 Second",
                                                                          {"一 One", "二 Two", "三 Three"});
    const emu::Album *albums[] = {&emulator.catalogue().album(AlbumCase::Plain), &second,
                                  &emulator.catalogue().album(AlbumCase::MissingFiles)};
    QByteArray batch;
    for (const emu::Album *album : albums)
        batch += "album " + albumAddress(*album).toUtf8() + '\n';
    root.write(QStringLiteral("batch.txt"), batch);
    emulator.setMp3Size(128 * 1024);
    emulator.setFault("/view/", emu::Fault::of(emu::FaultKind::Bandwidth, 128 * 1024));
    const RunResult result = run({QStringLiteral("--jobs"), QStringLiteral("4"), QStringLiteral("--json"),
                                  QStringLiteral("-a"), root.file(QStringLiteral("batch.txt"))});
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();

    const QList<QJsonObject> jobs = LinesOfType(result.out, QStringLiteral("job"));
    ASSERT_EQ(jobs.size(), 3);
    const int saved[] = {5, 3, 2};
    const int failed[] = {0, 0, 1};
    QStringList expectedFiles{QStringLiteral("batch.txt")};
    std::vector<int64_t> pageArrived;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(jobs[i].value(QStringLiteral("argument")).toString(), albumAddress(*albums[i])) << i;
        EXPECT_EQ(jobs[i].value(QStringLiteral("saved")).toInt(), saved[i]) << i;
        EXPECT_EQ(jobs[i].value(QStringLiteral("failed")).toInt(), failed[i]) << i;
        EXPECT_EQ(jobs[i].value(QStringLiteral("exit")).toInt(), failed[i]) << i;
        for (const emu::Track &track : albums[i]->tracks) {
            if (emulator.catalogue().songFiles(track.songId) != emu::SongFiles::Missing)
                expectedFiles.append(trackFile(*albums[i], track));
        }
        const std::vector<emu::RequestRecord> page = requests("/subject/" + albums[i]->number + "/");
        ASSERT_EQ(page.size(), 1u) << i;
        pageArrived.push_back(page[0].arrivedMs);
    }
    expectedFiles.sort();
    EXPECT_EQ(root.allFiles(), expectedFiles);
    const QJsonObject summary = LinesOfType(result.out, QStringLiteral("summary")).value(0);
    EXPECT_EQ(summary.value(QStringLiteral("saved")).toInt(), 10);
    EXPECT_EQ(summary.value(QStringLiteral("failed")).toInt(), 1);

    // Four of the first album's five tracks take the four jobs; its fifth is
    // handed over once one of them ended, and the second job starts then.
    int64_t firstEnd = INT64_MAX;
    int64_t lastEnd = 0;
    for (const emu::Track &track : albums[0]->tracks) {
        for (const emu::RequestRecord &transfer : requests("/view/song/small/p" + track.songId)) {
            firstEnd = std::min(firstEnd, transfer.endedMs);
            lastEnd = std::max(lastEnd, transfer.endedMs);
        }
    }
    EXPECT_GT(pageArrived[1], firstEnd);
    EXPECT_LT(pageArrived[1], lastEnd);
    EXPECT_GT(pageArrived[2], lastEnd);
}

// The same album twice in one run: the first job saves its tracks and the
// second finds them present, each counted for its own job, also while the
// first one's transfers are still under way when the second starts.
TEST_F(TavimoDlTest, SameAlbumTwiceCountsPerJob)
{
    emulator.setMp3Size(128 * 1024);
    emulator.setFault("/view/", emu::Fault::of(emu::FaultKind::Bandwidth, 256 * 1024));
    const RunResult result = run({QStringLiteral("--jobs"), QStringLiteral("4"), QStringLiteral("--json"),
                                  QStringLiteral("album"), albumAddress(AlbumCase::Plain),
                                  albumAddress(AlbumCase::Plain)});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QList<QJsonObject> jobs = LinesOfType(result.out, QStringLiteral("job"));
    ASSERT_EQ(jobs.size(), 2);
    const int saved[] = {5, 0};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(jobs[i].value(QStringLiteral("saved")).toInt(), saved[i]) << i;
        EXPECT_EQ(jobs[i].value(QStringLiteral("present")).toInt(), 5 - saved[i]) << i;
    }
}

// A batch file that cannot be used is refused whole, before any request,
// naming its line; so is a config file line, naming the file and the line.
TEST_F(TavimoDlTest, UnusableBatchAndConfigFilesAreRefused)
{
    QByteArray huge;
    for (int i = 0; i < 100000; ++i)
        huge += "album " + albumAddress(AlbumCase::Plain).toUtf8() + '\n';
    const QList<QPair<QByteArray, QString>> batches = {
        {"", QStringLiteral("中没有命令")},
        {"# nothing\n\n", QStringLiteral("中没有命令")},
        {"liked\n\nsing 7\n", QStringLiteral("第 3 行: 未知命令: sing")},
        {"channel 1 --jobs 2\n", QStringLiteral("第 1 行: 选项 --jobs 只能写在命令行或配置文件中")},
        {"channels\n", QStringLiteral("第 1 行: 批处理文件中不能使用命令 channels")},
        {"album \xff\xfe\n", QStringLiteral("不是 UTF-8 文本")},
        {huge + "album\n", QStringLiteral("第 100001 行: 命令 album 缺少参数")},
    };
    struct Row {
        const tavimo::test::TempRoot *folder; // where text is written before the run, if anywhere
        QString file;
        QByteArray text;
        QStringList arguments;
        QString message;
    };
    const QString batch = root.file(QStringLiteral("batch.txt"));
    const QString config = configHome.file(QStringLiteral("tavimo/tavimo-dl.conf"));
    QList<Row> rows = {
        {nullptr,
         {},
         {},
         {QStringLiteral("-a"), root.file(QStringLiteral("none.txt"))},
         QStringLiteral("错误: 无法读取批处理文件 ")},
        {nullptr,
         {},
         {},
         {QStringLiteral("--config"), root.file(QStringLiteral("none.conf")), QStringLiteral("liked")},
         QStringLiteral("错误: 无法读取配置文件 ")},
    };
    for (const auto &[text, message] : batches)
        rows.append({&root, QStringLiteral("batch.txt"), text, {QStringLiteral("-a"), batch}, message});
    const QList<QPair<QByteArray, QString>> configs = {
        {"# mine\n--jobs\n", QStringLiteral("第 2 行: 选项缺少取值: --jobs")},
        {"--list\n", QStringLiteral("第 1 行: 选项 --list 不能写在配置文件中")},
        {"--tags\nalbum x\n", QStringLiteral("第 2 行: 只能写选项, 不能写命令或参数: album")},
        {"--colour\n", QStringLiteral("第 1 行: 未知选项: colour")},
    };
    for (const auto &[text, message] : configs)
        rows.append({&configHome,
                     QStringLiteral("tavimo/tavimo-dl.conf"),
                     text,
                     {QStringLiteral("liked")},
                     config + u' ' + message});
    for (const Row &row : rows) {
        if (row.folder != nullptr)
            row.folder->write(row.file, row.text);
        const RunResult result = run(row.arguments);
        EXPECT_EQ(result.exitCode, 2) << row.message.toStdString();
        EXPECT_TRUE(result.err.contains(row.message)) << result.err.toStdString();
    }
    EXPECT_TRUE(emulator.requestLog().empty());
}

// The config file's options apply, the command line's win over them, and
// --ignore-config reads none.
TEST_F(TavimoDlTest, ConfigFileOptionsUnderTheCommandLine)
{
    configHome.write(QStringLiteral("tavimo/tavimo-dl.conf"), "# always\n--quiet\n-o \"flat/{title}\"\n");
    const QStringList album{QStringLiteral("--list"), QStringLiteral("--json"), QStringLiteral("album"),
                            albumAddress(AlbumCase::Plain)};
    const auto firstPath = [this](const QStringList &arguments) {
        const QList<QJsonObject> listed = LinesOfType(run(arguments).out, QStringLiteral("listed"));
        return listed.isEmpty() ? QString() : listed.first().value(QStringLiteral("path")).toString();
    };
    EXPECT_EQ(firstPath(album), root.file(QStringLiteral("flat/晴天.mp3")));
    EXPECT_EQ(firstPath(QStringList{QStringLiteral("-o"), QStringLiteral("{album}/{title}")} + album),
              root.file(QStringLiteral("晴天 Sunny Day/晴天.mp3")));
    EXPECT_EQ(firstPath(QStringList{QStringLiteral("--ignore-config")} + album),
              root.file(QStringLiteral("晴天 Sunny Day/晴天.mp3")));
    const RunResult quiet = run({QStringLiteral("album"), albumAddress(AlbumCase::Plain)});
    EXPECT_EQ(quiet.err, QStringLiteral("完成: 已下载 5 首, 已存在 0 首, 失败 0 首\n"));
}

} // namespace
} // namespace tavimo::cli::test
