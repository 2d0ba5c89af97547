#pragma once

#include "workflow/workflow_context.h"

namespace tavimo {

// The album at its catalogue page address as the user typed it: every track
// into a folder named after the page's title, beneath the download root.
// Fills dictAlbum2.
QCoro::Task<RunResult> DownloadAlbumByPage(const WorkflowContext &context, QString typedAddress);

// One album's tracks as handed over to the downloads: its title and the
// paths its end waits for. Done once every track was handed over;
// NothingFound (with its status text) when the page had no track rows;
// Failed where its page's failure ended it.
struct AlbumHandOver {
    QString id; // the album's, as its page address gives it
    QString title;
    QStringList paths;
    QStringList urls; // the tracks', in the order of paths
    RunEnd end = RunEnd::Done;
    QString reason;
    PageReply failedPage; // the album's page, when its failure ended the album (Failed)
};

// One album page of an artist download, already read: its tracks handed
// over into a subfolder of parentFolder (which exists), tagged with the
// artist's name. Fills dictAlbum3.
QCoro::Task<AlbumHandOver> HandOverArtistAlbum(const WorkflowContext &context, PageReply page, QString albumId,
                                               QString parentFolder, QString artist);

// A task that ends with the album: once its own last file has its final
// name, with "《title》下载完毕!" in the status line; the downloads are told
// that the album's tracks ended.
QCoro::Task<RunResult> AlbumEnd(const WorkflowContext &context, RunTally tally, AlbumHandOver album);

// The text between the first startMark and the first endMark; the message
// box "Err:..." and the empty text when the marks do not frame a piece of
// the text.
QCoro::Task<QString> TextBetween(MainView &view, QString text, QString startMark, QString endMark);

} // namespace tavimo
