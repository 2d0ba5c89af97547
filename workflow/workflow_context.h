#pragma once

#include "download/track_downloads.h"
#include "net/mod_xml_http.h"
#include "net/service_hosts.h"
#include "net/yielding_pause.h"
#include "parse/dictionary.h"
#include "workflow/main_view.h"
#include "workflow/run_result.h"

#include <QString>

#include <optional>

namespace tavimo {

// A step's end for want of its page, when the page ends it.
inline std::optional<RunResult> EndsStep(bool ends, const RunTally &tally, const PageReply &page)
{
    return ends ? std::optional(tally.failedPage(page)) : std::nullopt;
}

// The main window's track tables, kept for the life of the program: the album
// button's, the artist download's current album, and the playlist method's
// titles taken in its current run.
struct TrackTables {
    Dictionary<> dictAlbum2;
    Dictionary<> dictAlbum3;
    Dictionary<> dictPlaylist;
};

// The pauses of the workflows that ask the service again. Tests shorten them.
struct WorkflowPauses {
    int listingRetryMs = 1000; // before asking again for an artist's album listing
    int afterPageMs = 2000;    // after each channel catalogue page and each channel download cycle
    int beforeRetryMs = 1000;  // before asking again for a refused channel playlist
};

// Everything a workflow works with, handed in by whoever runs it (a window
// or the command line).
struct WorkflowContext {
    ServiceHosts hosts;
    ModXmlHttp &net;
    TrackDownloads &downloads;
    QString downloadRoot; // "/"-separated, no trailing "/"
    MainView &view;
    TrackTables &tables;
    WorkflowPauses pauses = {};
    // How many album pages of an artist are asked for ahead of the album
    // whose tracks are being handed over (the liked harvest reads one page
    // ahead whatever this says).
    int pagesAhead = 1;

    // Whether a page that failed ends its step at once with its cause (the
    // command line), or is judged by its markers like any reply, as the
    // windows judge them.
    bool endsOnFailedPage = false;
    // Whether a rerun skips what the library holds: an artist's albums the
    // archive records as whole, and the liked pages after the first one
    // whose every track is there.
    bool breakOnExisting = false;

    // True once the program is closing: a workflow returns at its next step
    // and writes nothing more.
    bool stopped() const { return net.isCancelled(); }
    // A task of one page in the named character set; the empty text once
    // the program is closing.
    QCoro::Task<QString> fetch(const QString &charset, const QString &url) const
    {
        return net.GetHttpText(charset, url);
    }
    // The same, with how the fetch went.
    QCoro::Task<PageReply> fetchPage(const QString &charset, const QString &url) const
    {
        return net.FetchPage(charset, url);
    }
    // Whether the page ends its step: it failed, and failed pages end steps here.
    bool endsStep(const PageReply &page) const { return endsOnFailedPage && page.failed() && !stopped(); }
    // The end of a step for want of its page, when the page ends it.
    std::optional<RunResult> failedPage(const RunTally &tally, const PageReply &page) const
    {
        return EndsStep(endsStep(page), tally, page);
    }
    // A pause that ends at once when the program is closing.
    QCoro::Task<> pause(int milliseconds) const { return PauseFor(milliseconds, net.stop()); }
    // The same context for the tracks of one job.
    WorkflowContext forJob(TrackDownloads &job) const
    {
        return WorkflowContext{hosts,  net,    job,        downloadRoot,     view,
                               tables, pauses, pagesAhead, endsOnFailedPage, breakOnExisting};
    }

    QString albumAddressPrefix() const { return hosts.catalogueAddress(QStringLiteral("/subject/")); }
    QString artistAddressPrefix() const { return hosts.catalogueAddress(QStringLiteral("/musician/")); }

    // The result of a run that refused its input, once the refusal's
    // message box was dismissed.
    QCoro::Task<RunResult> refuse(RunTally tally, QString message) const
    {
        co_await view.showMessage(message, MessageKind::Critical);
        co_return tally.result(RunEnd::Rejected, message);
    }
    // The same for what the service does not know (an artist, a channel):
    // the same message box, but the service said so, not the input's form.
    QCoro::Task<RunResult> notFound(RunTally tally, QString message) const
    {
        co_await view.showMessage(message, MessageKind::Critical);
        co_return tally.result(RunEnd::NothingFound, message);
    }
};

// A workflow of a window of its own (the hot channels, the liked tracks):
// the program's context and the window it reports to, which stops the
// workflow when it closes (and raises closing, when the window has one).
template <typename View>
struct WindowWorkflowContext {
    const WorkflowContext &app;
    View &view;
    const Stop *closing = nullptr;

    bool stopped() const { return view.isClosed() || app.stopped(); }
    QCoro::Task<QString> fetch(const QString &charset, const QString &url) const
    {
        return app.net.GetHttpText(charset, url, QString(), closing);
    }
    QCoro::Task<PageReply> fetchPage(const QString &charset, const QString &url) const
    {
        return app.net.FetchPage(charset, url, QString(), closing);
    }
    bool endsStep(const PageReply &page) const { return app.endsOnFailedPage && page.failed() && !stopped(); }
    std::optional<RunResult> failedPage(const RunTally &tally, const PageReply &page) const
    {
        return EndsStep(endsStep(page), tally, page);
    }
    QCoro::Task<> pause(int milliseconds) const { return PauseFor(milliseconds, app.net.stop(), closing); }
};

} // namespace tavimo
