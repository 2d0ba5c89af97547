#pragma once

#include "workflow/main_view.h"
#include "workflow/workflow_context.h"
#include "workflow/main_workflows.h"
#include "net/service_hosts.h"
#include "download/parallel_track_downloads.h"

#include <QWidget>

#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tavimo {

class Dialogs;
class FileDownloader;
class ModXmlHttp;

// The start-up window: one group per source of tracks, the status line, and
// the album and artist workflows run from its buttons.
class MainForm final : public QWidget, public MainView {
    Q_OBJECT
public:
    static const QString kCaption;

    // Fetches pages through files' network object.
    MainForm(const ServiceHosts &hosts, FileDownloader &files, Dialogs &dialogs, const QString &downloadRoot,
             QWidget *parent = nullptr);
    ~MainForm() override;

    QString DownloadRoot() const { return downloadRoot_; }
    TrackTables &tables() { return workflows_->tables; }
    QString statusText() const;

    // MainView
    void setStatus(const QString &text) override;
    void showMessage(const QString &text, DialogIcon icon) override;
    bool isButtonEnabled(MainButton button) const override;
    void setButtonEnabled(MainButton button, bool enabled) override;
    QString albumIdText() const override;
    QString singerIdText() const override;
    void setSingerIdText(const QString &text) override;
    QString singerNameText() const override;

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
    // Emitted once when the window closes; the program ends on it.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void buildFrames();
    void buildStatusLine();
    void connectButtons();
    QPushButton *button(MainButton which) const;

    ServiceHosts hosts_;
    ModXmlHttp &net_;
    Dialogs &dialogs_;
    QString downloadRoot_;
    SequentialTrackDownloads downloads_;
    std::unique_ptr<MainWorkflows> workflows_;
    bool closing_ = false;
};

} // namespace tavimo
