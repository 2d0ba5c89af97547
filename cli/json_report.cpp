#include "cli/json_report.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace tavimo::cli {

namespace {

QString OutcomeName(DownloadOutcome outcome)
{
    switch (outcome) {
    case DownloadOutcome::Saved:
        return QStringLiteral("saved");
    case DownloadOutcome::AlreadyPresent:
        return QStringLiteral("present");
    case DownloadOutcome::Archived:
        return QStringLiteral("archived");
    case DownloadOutcome::Failed:
        break;
    case DownloadOutcome::Cancelled:
        return QStringLiteral("cancelled");
    }
    return QStringLiteral("failed");
}

QString EndName(RunEnd end)
{
    switch (end) {
    case RunEnd::Done:
        break;
    case RunEnd::Rejected:
        return QStringLiteral("rejected");
    case RunEnd::NothingFound:
        return QStringLiteral("nothing-found");
    case RunEnd::Stopped:
        return QStringLiteral("stopped");
    case RunEnd::Failed:
        return QStringLiteral("failed");
    }
    return QStringLiteral("done");
}

QJsonObject TrackObject(const QString &type, const TrackFile &track)
{
    return QJsonObject{{QStringLiteral("type"), type},
                       {QStringLiteral("title"), track.tags.title},
                       {QStringLiteral("address"), track.url},
                       {QStringLiteral("path"), track.path}};
}

} // namespace

void JsonReport::trackEnded(const TrackFile &track, const DownloadEnd &end)
{
    QJsonObject object = TrackObject(QStringLiteral("track"), track);
    object.insert(QStringLiteral("outcome"), OutcomeName(end.outcome));
    object.insert(QStringLiteral("reason"), end.reason);
    const bool onDisk = end.outcome == DownloadOutcome::Saved || end.outcome == DownloadOutcome::AlreadyPresent;
    object.insert(QStringLiteral("bytes"), onDisk ? QFileInfo(track.path).size() : 0);
    if (!end.brokenKeptAt.isEmpty())
        object.insert(QStringLiteral("broken"), end.brokenKeptAt);
    write(object);
}

void JsonReport::trackListed(const TrackFile &track, ListedState state)
{
    QJsonObject object = TrackObject(QStringLiteral("listed"), track);
    object.insert(QStringLiteral("present"), state == ListedState::Present);
    object.insert(QStringLiteral("archived"), state == ListedState::Archived);
    write(object);
}

void JsonReport::channel(const HotChannel &channel)
{
    write(QJsonObject{{QStringLiteral("type"), QStringLiteral("channel")},
                      {QStringLiteral("id"), channel.id},
                      {QStringLiteral("name"), channel.name},
                      {QStringLiteral("songs"), channel.songCount}});
}

void JsonReport::jobSummary(const CliJob &job, const RunResult &result, int exitStatus, const QString &source,
                            std::optional<int> pending)
{
    QJsonObject object = SummaryObject(source.isEmpty() ? QStringLiteral("job") : QStringLiteral("source"), result,
                                       exitStatus);
    object.insert(QStringLiteral("command"), CommandName(job.command));
    object.insert(QStringLiteral("argument"), job.argument);
    if (!source.isEmpty())
        object.insert(QStringLiteral("source"), source);
    if (pending)
        object.insert(QStringLiteral("pending"), *pending);
    write(object);
}

void JsonReport::summary(const RunResult &result, int exitStatus)
{
    write(SummaryObject(QStringLiteral("summary"), result, exitStatus));
}

QJsonObject JsonReport::SummaryObject(const QString &type, const RunResult &result, int exitStatus)
{
    return QJsonObject{{QStringLiteral("type"), type},
                       {QStringLiteral("end"), EndName(result.end)},
                       {QStringLiteral("reason"), result.reason},
                       {QStringLiteral("kind"), PageFailureName(result.failedPage.failure)},
                       {QStringLiteral("status"), result.failedPage.status},
                       {QStringLiteral("saved"), result.counts.saved},
                       {QStringLiteral("present"), result.counts.alreadyPresent},
                       {QStringLiteral("failed"), result.counts.failed},
                       {QStringLiteral("archived"), result.counts.archived},
                       {QStringLiteral("broken"), result.counts.brokenReplaced},
                       {QStringLiteral("exit"), exitStatus}};
}

void JsonReport::write(const QJsonObject &object)
{
    const QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stream_);
    std::fflush(stream_);
}

} // namespace tavimo::cli
