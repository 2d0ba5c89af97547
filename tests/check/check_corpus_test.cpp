#include "download/file_downloader.h"
#include "download/parallel_track_downloads.h"
#include "net/loopback_server.h"
#include "net/mod_xml_http.h"
#include "parse/mp3_frames.h"
#include "support/tavimo_dl_runner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <cstring>

namespace tavimo::cli::test {
namespace {

using emu::AlbumCase;

// The whole files the corpus script makes, and what each one carries.
struct WholeFile {
    const char *name;
    bool lameTag;     // a LAME tag with the music CRC (no gain tool changed the frames)
    bool recorded;    // a Xing/Info header with the counts
    bool trailerLast; // the file ends with a tag (ID3v1 or APEv2), not a frame
};

const WholeFile kWholeFiles[] = {
    {"ffmpeg-id3v1", true, true, true},     {"ffmpeg", true, true, false},
    {"lame-abr", true, true, false},        {"lame-cbr128", true, true, false},
    {"lame-cbr320", true, true, false},     {"lame-id3v1", true, true, true},
    {"lame-id3v23", true, true, false},     {"lame-id3v24", true, true, false},
    {"lame-mpeg2", true, true, false},      {"lame-mpeg25", false, false, false},
    {"lame-noxing", false, false, false},   {"lame-picture", true, true, true},
    {"lame-vbr", true, true, false},        {"mp3gain-analysed", false, true, true},
    {"mp3gain-applied", false, true, true},
};

// The ways a copy is damaged, each with the verdict `check` gives it.
struct Damage {
    const char *name;
    std::function<QByteArray(QByteArray bytes, qint64 boundary)> apply;
    std::function<QString(const WholeFile &file)> verdict;
};

QByteArray Zeroed(QByteArray bytes, qint64 from, qint64 count)
{
    bytes.replace(from, count, QByteArray(count, '\0'));
    return bytes;
}

const Damage kDamages[] = {
    {"cut-inside", [](QByteArray b, qint64 at) { return b.left(at + 50); }, [](const WholeFile &) { return "cut"; }},
    {"cut-boundary", [](QByteArray b, qint64 at) { return b.left(at); },
     // Without the encoder's counts a cut at a frame boundary cannot be told.
     [](const WholeFile &f) { return f.recorded ? "cut" : "whole"; }},
    {"tail-gone", [](QByteArray b, qint64) { return b.chopped(5); },
     [](const WholeFile &f) { return f.trailerLast ? "broken" : "cut"; }},
    {"zeros", [](QByteArray b, qint64 at) { return Zeroed(b, at + 4, 2048); },
     [](const WholeFile &) { return "broken"; }},
    {"flipped",
     [](QByteArray b, qint64 at) {
         b[at + 60] = char(b[at + 60] ^ 0x10);
         return b;
     },
     [](const WholeFile &f) { return f.lameTag ? "damaged" : "whole"; }},
};

// A frame boundary near the middle: where the walk of the first half finds
// its last frame cut, or the half's end when it ends with a whole frame.
qint64 MiddleBoundary(const QByteArray &bytes)
{
    const QByteArray half = bytes.left(bytes.size() / 2);
    const Mp3Verdict verdict = WalkMp3Frames(half.size(), [&half](qint64 offset, char *out, qint64 size) {
        const qint64 count = std::min(size, half.size() - offset);
        std::memcpy(out, half.constData() + offset, size_t(count));
        return count;
    });
    return verdict.fault == Mp3Fault::LastFrameCut ? verdict.offset : half.size();
}

// The files Debian's mp3val warns about, beyond a note that there are no tags.
QSet<QString> FlaggedByMp3val(const QStringList &paths)
{
    QProcess mp3val;
    mp3val.start(QStringLiteral("mp3val"), paths);
    EXPECT_TRUE(mp3val.waitForFinished(120000));
    QSet<QString> flagged;
    static const QRegularExpression line(QStringLiteral("^(WARNING|ERROR|PROBLEM): \"([^\"]+)\".*$"),
                                         QRegularExpression::MultilineOption);
    const QString out = QString::fromUtf8(mp3val.readAllStandardOutput());
    for (auto it = line.globalMatch(out); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (!match.captured(0).contains(QLatin1String("No supported tags")))
            flagged.insert(match.captured(2));
    }
    return flagged;
}

class CheckCorpusTest : public TavimoDlTest {
protected:
    void SetUp() override
    {
        TavimoDlTest::SetUp();
        QProcess make;
        make.start(QStringLiteral("bash"), {QStringLiteral(TAVIMO_CORPUS_SCRIPT), corpus.path()});
        ASSERT_TRUE(make.waitForFinished(300000));
        ASSERT_EQ(make.exitCode(), 0) << make.readAllStandardError().toStdString();
    }

    QByteArray whole(const char *name) const { return corpus.read(QString::fromLatin1(name) + ".mp3"); }

    tavimo::test::TempRoot corpus;
};

// Every whole file is whole to both tools; every damaged copy mp3val flags is
// flagged here too, and so are the flipped bytes of files with a LAME tag.
TEST_F(CheckCorpusTest, FindsWhatMp3valFindsAndTheFlippedBytes)
{
    QStringList made = QDir(corpus.path()).entryList({QStringLiteral("*.mp3")});
    QStringList expectedWhole;
    for (const WholeFile &file : kWholeFiles)
        expectedWhole.append(QString::fromLatin1(file.name) + ".mp3");
    expectedWhole.sort();
    ASSERT_EQ(made, expectedWhole);

    QMap<QString, QString> expected;
    for (const WholeFile &file : kWholeFiles) {
        const QByteArray bytes = whole(file.name);
        const qint64 boundary = MiddleBoundary(bytes);
        ASSERT_GT(boundary, 0) << file.name;
        expected.insert(corpus.file(QString::fromLatin1(file.name) + ".mp3"), QStringLiteral("whole"));
        for (const Damage &damage : kDamages) {
            const QString name = QStringLiteral("damaged/%1-%2.mp3").arg(file.name, damage.name);
            corpus.write(name, damage.apply(bytes, boundary));
            expected.insert(corpus.file(name), damage.verdict(file));
        }
    }
    corpus.write(QStringLiteral("damaged/page.mp3"), "<!DOCTYPE html>\n<html><body>502 Bad Gateway</body></html>");
    corpus.write(QStringLiteral("damaged/empty.mp3"), QByteArray());
    expected.insert(corpus.file(QStringLiteral("damaged/page.mp3")), QStringLiteral("not-mp3"));
    expected.insert(corpus.file(QStringLiteral("damaged/empty.mp3")), QStringLiteral("empty"));

    const RunResult checked = run({QStringLiteral("--json"), QStringLiteral("check"), corpus.path()});
    EXPECT_EQ(checked.exitCode, 1);
    QMap<QString, QString> verdicts;
    for (const QString &line : checked.out.split(u'\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        if (object.value(QStringLiteral("type")) == QStringLiteral("file"))
            verdicts.insert(object.value(QStringLiteral("path")).toString(),
                            object.value(QStringLiteral("verdict")).toString());
    }
    EXPECT_EQ(verdicts, expected);

    const QSet<QString> byMp3val = FlaggedByMp3val(expected.keys());
    int foundHere = 0;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const bool isWhole = !it.key().contains(QLatin1String("/damaged/"));
        if (isWhole) {
            EXPECT_FALSE(byMp3val.contains(it.key())) << it.key().toStdString();
        }
        if (byMp3val.contains(it.key())) {
            EXPECT_NE(verdicts.value(it.key()), QStringLiteral("whole")) << it.key().toStdString();
        }
        foundHere += !isWhole && verdicts.value(it.key()) != QStringLiteral("whole");
    }
    EXPECT_GT(foundHere, byMp3val.size());
}

// --check-present leaves a file whose gain mp3gain changed in place alone.
TEST_F(CheckCorpusTest, CheckPresentKeepsAGainAdjustedFile)
{
    const emu::Album &album = emulator.catalogue().album(AlbumCase::Plain);
    const QString adjusted = trackFile(album, album.tracks.front());
    root.write(adjusted, whole("mp3gain-applied"));
    const RunResult rerun = run(
        {QStringLiteral("--check-present"), QStringLiteral("album"), albumAddress(AlbumCase::Plain)});
    EXPECT_EQ(rerun.exitCode, 0) << rerun.err.toStdString();
    EXPECT_EQ(root.read(adjusted), whole("mp3gain-applied"));
    EXPECT_FALSE(root.allFiles().join(u' ').contains(QLatin1String(".broken")));
    const std::string songId = album.tracks.front().songId;
    const auto log = emulator.requestLog();
    EXPECT_TRUE(std::none_of(log.cbegin(), log.cend(), [&songId](const emu::RequestRecord &request) {
        return request.host == emu::ServiceHost::Audio && request.target.find(songId) != std::string::npos;
    }));
}

// A reply whose body is whole as HTTP goes but ends at a frame boundary
// before the length its encoder recorded is a broken transfer: tried again,
// then failed with why; its bytes stay in the ".part", no file takes the name.
TEST_F(CheckCorpusTest, ABodyShortOfItsRecordedLengthFails)
{
    const QByteArray bytes = whole("lame-cbr128");
    tavimo::test::LoopbackServer server;
    tavimo::test::Resource cut;
    cut.body = bytes.left(MiddleBoundary(bytes)).toStdString();
    server.put("/t.mp3", cut);
    ModXmlHttp net;
    FileDownloader files(net);
    ParallelTrackDownloads downloads(files, 1);
    downloads.setRetries(1, 0);
    QCoro::waitFor(downloads.download({server.url("/t.mp3"), root.file(QStringLiteral("t.mp3")), {}}));
    QCoro::waitFor(downloads.finish());
    ASSERT_EQ(downloads.records().size(), 1);
    const TrackRecord &record = downloads.records().front();
    EXPECT_EQ(record.end.outcome, DownloadOutcome::Failed);
    EXPECT_EQ(record.attempts, 2);
    EXPECT_TRUE(record.end.reason.contains(QStringLiteral("编码器记录了 231 帧"))) << record.end.reason.toStdString();
    EXPECT_EQ(root.allFiles(), QStringList{QStringLiteral("t.mp3.part")});
    EXPECT_EQ(root.read(QStringLiteral("t.mp3.part")), QByteArray::fromStdString(cut.body));
    EXPECT_EQ(server.requests().size(), 2);
}

} // namespace
} // namespace tavimo::cli::test
