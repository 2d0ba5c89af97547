#include "workflow/liked_harvest.h"

#include "workflow/liked_page.h"
#include "download/download_root.h"
#include "download/file_names.h"

namespace tavimo {

namespace {

constexpr int kPageStep = 15;

QString trackAddress(const ServiceHosts &hosts, const QString &sid)
{
    return hosts.audioAddress(QStringLiteral("/view/song/small/p") + sid + QStringLiteral("_192k.mp3"));
}

} // namespace

QString UniqueTrackName(const QString &title, Dictionary<> &usedTitles)
{
    QString name = title;
    while (usedTitles.Exists(name))
        name += QStringLiteral(" - reName");
    usedTitles.Add(name, name);
    return name;
}

RunResult HarvestLikedTracks(LikedContext &context)
{
    const RunTally tally(context.app.downloads);
    LikedView &view = context.view;
    const WorkflowContext &app = context.app;
    view.showProgressLayout();
    view.setCaption(QStringLiteral("TavimoFM 红心曲目下载"));
    const QString likedFolder = app.downloadRoot + QLatin1Char('/') + QString::fromUtf16(kLikedFolderName);
    Dictionary<> usedTitles;
    // Wider than the 16-bit counters of old: long lists must not wrap.
    qint64 tracks = 0;
    for (qint64 offset = 0;; offset += kPageStep) {
        const QString page = app.net.GetHttpText(QStringLiteral("UTF-8"), LikedListAddress(app.hosts, offset));
        if (context.stopped())
            return tally.result(RunEnd::Stopped);
        const QList<LikedEntry> entries = ReadLikedEntries(page);
        if (entries.isEmpty())
            break;
        for (const LikedEntry &entry : entries) {
            ++tracks;
            view.setStatus(QStringLiteral("下载第") + QString::number(tracks) + QStringLiteral("首:  《") + entry.title +
                           QStringLiteral("》 ..."));
            const QString name = UniqueTrackName(entry.title, usedTitles);
            app.downloads.download({trackAddress(app.hosts, entry.sid),
                                    likedFolder + QLatin1Char('/') + CleanFileName(name) + QStringLiteral(".mp3"),
                                    {entry.title, QString(), QString(), 0}});
            if (context.stopped())
                return tally.result(RunEnd::Stopped);
        }
    }
    app.downloads.finish();
    if (context.stopped())
        return tally.result(RunEnd::Stopped);
    app.view.setStatus(QStringLiteral("红心下载完毕. 共") + QString::number(tracks) + QStringLiteral("首."));
    view.closeWindow();
    return tally.result(RunEnd::Done);
}

} // namespace tavimo
