#include "workflow/liked_harvest.h"

#include "download/download_root.h"
#include "download/file_names.h"
#include "workflow/liked_page.h"

#include <algorithm>
#include <optional>

namespace tavimo {

namespace {

constexpr int kPageStep = 15;

QString trackAddress(const ServiceHosts &hosts, const QString &sid)
{
    return hosts.audioAddress(QStringLiteral("/view/song/small/p") + sid + QStringLiteral("_192k.mp3"));
}

// How many of a page's tracks the library holds, when the harvest breaks on
// them; none otherwise.
qsizetype HeldTracks(const WorkflowContext &app, const QList<TrackFile> &tracks)
{
    if (!app.breakOnExisting)
        return 0;
    return std::count_if(tracks.cbegin(), tracks.cend(),
                         [&app](const TrackFile &track) { return app.downloads.holds(track); });
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

QCoro::Task<RunResult> HarvestLikedTracks(const LikedContext &context)
{
    const RunTally tally(context.app.downloads);
    LikedView &view = context.view;
    const WorkflowContext &app = context.app;
    view.showProgressLayout();
    view.setCaption(QStringLiteral("TavimoFM 红心曲目下载"));
    const QString likedFolder = app.downloadRoot + QLatin1Char('/') + QString::fromUtf16(kLikedFolderName);
    const QString utf8 = QStringLiteral("UTF-8");
    Dictionary<> usedTitles;
    QStringList paths;
    // Wider than the 16-bit counters of old: long lists must not wrap.
    qint64 tracks = 0;
    PageReply failedPage;  // the page whose failure ended the harvest
    bool heldSeen = false; // whether the library held a track of a page read so far
    std::optional<QCoro::Task<PageReply>> nextPage = context.fetchPage(utf8, LikedListAddress(app.hosts, 0));
    for (qint64 offset = 0;; offset += kPageStep) {
        QCoro::Task<PageReply> pending = std::move(*nextPage);
        nextPage.reset();
        const PageReply page = co_await pending;
        if (context.stopped())
            break;
        if (context.endsStep(page))
            failedPage = page;
        const QList<LikedEntry> entries = ReadLikedEntries(page.text);
        if (failedPage.failed() || entries.isEmpty())
            break;
        QList<TrackFile> pageTracks;
        for (const LikedEntry &entry : entries) {
            const QString name = UniqueTrackName(entry.title, usedTitles);
            pageTracks.append({trackAddress(app.hosts, entry.sid),
                               likedFolder + QLatin1Char('/') + CleanFileName(name) + QStringLiteral(".mp3"),
                               {entry.title, QString(), QString(), 0}});
        }
        const qsizetype held = HeldTracks(app, pageTracks);
        const bool lastPage = held == pageTracks.size();
        heldSeen = heldSeen || held > 0;
        // The next page is read while this one's tracks download, unless the
        // list has reached what the library holds: then the next page is
        // read only if this one brought a new track.
        if (!heldSeen)
            nextPage = context.fetchPage(utf8, LikedListAddress(app.hosts, offset + kPageStep));
        for (const TrackFile &track : pageTracks) {
            ++tracks;
            view.setStatus(QStringLiteral("下载第") + QString::number(tracks) + QStringLiteral("首:  《") +
                           track.tags.title + QStringLiteral("》 ..."));
            paths.append(track.path);
            co_await app.downloads.download(track);
            if (context.stopped())
                break;
        }
        if (context.stopped() || lastPage)
            break;
        if (!nextPage)
            nextPage = context.fetchPage(utf8, LikedListAddress(app.hosts, offset + kPageStep));
    }
    // A stopped harvest's page in flight ends with the stop; it is awaited
    // so that nothing of this run outlives it.
    if (nextPage)
        co_await *nextPage;
    co_await app.downloads.whenEnded(paths);
    if (context.stopped())
        co_return tally.result(RunEnd::Stopped);
    if (failedPage.failed())
        co_return tally.failedPage(failedPage);
    app.view.setStatus(QStringLiteral("红心下载完毕. 共") + QString::number(tracks) + QStringLiteral("首."));
    view.closeWindow();
    co_return tally.result(RunEnd::Done);
}

} // namespace tavimo
