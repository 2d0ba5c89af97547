#pragma once

#include "download/parallel_track_downloads.h"
#include "net/service_hosts.h"
#include "workflow/main_view.h"
#include "workflow/workflow_context.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tavimo {

class Dialogs;
class FileDownloader;
class ModXmlHttp;

// The start-up window: one group per source of tracks, the status line, and
// the album and artist workflows run from its buttons. Each button's handler
// reads its text box, starts the workflow's task and keeps the button
// disabled until that task ends; other buttons stay usable meanwhile.
class MainForm final : public QWidget, public MainView {
    Q_OBJECT
public:
    static const QString kCaption;

    // Fetches pages through files' network object.
    MainForm(const ServiceHosts &hosts, FileDownloader &files, Dialogs &dialogs, const QString &downloadRoot,
             QWidget *parent = nullptr);
    ~MainForm() override;

    QString DownloadRoot() const { return downloadRoot_; }
    TrackTables &tables() { return tables_; }
    // The program's one scheduler, which the browser windows share.
    TrackDownloads &downloads() { return downloads_; }
    // Pauses of the artist download's listing retries.
    WorkflowPauses &pauses() { return context_.pauses; }
    QString statusText() const;

    // MainView
    void setStatus(const QString &text) override;
    QCoro::Task<> showMessage(QString text, MessageKind kind) override;

    // The example inputs the text boxes start with.
    void setExamples(const QString &albumAddress, const QString &artistAddress, const QString &artistName);

    QPushButton *cmdDownLikedSongs = nullptr;
    QPushButton *cmdDown2 = nullptr;
    QPushButton *cmdDown = nullptr;
    QPushButton *cmdSinger = nullptr;
    QPushButton *cmdSinger2 = nullptr;
    QPushButton *cmdDownHot = nullptr;
    QLineEdit *txtAlbumID = nullptr;
    QLineEdit *txtSingerID = nullptr;
    QLineEdit *txtSingerName = nullptr;
    QLabel *lblStatus = nullptr;
    QGroupBox *Frame[4] = {};
    QLabel *Label[3] = {};

signals:
    // The hand-over buttons; the liked-tracks and hot-channel windows attach here.
    void likedSongsRequested();
    void hotChannelsRequested();
    void statusChanged(const QString &text);
    // A workflow started from one of the buttons ended; its button is
    // enabled again.
    void runEnded();
    // Emitted once when the window closes; the program ends on it.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    class ButtonBusy;

    void Form_Load();
    void buildFrames();
    void buildStatusLine();
    void connectButtons();
    QCoro::Task<> cmdDown2_Click();
    QCoro::Task<> cmdDown_Click();
    QCoro::Task<> cmdSinger_Click();
    QCoro::Task<> cmdSinger2_Click();
    // Says "请先等待上一个操作完成" and is true while an artist download runs.
    QCoro::Task<bool> refusedWhileArtistRuns();

    ServiceHosts hosts_;
    ModXmlHttp &net_;
    Dialogs &dialogs_;
    QString downloadRoot_;
    // The program's one scheduler: each workflow's tracks one after the
    // other, workflows side by side.
    ParallelTrackDownloads downloads_;
    TrackTables tables_;
    WorkflowContext context_;
    bool closing_ = false;
};

} // namespace tavimo
