// The main window against the built-in service emulator, downloading into a
// fresh folder. With --auto it presses the album and artist buttons itself,
// lists the files it downloaded and ends.
#include "app/browser_profile.h"
#include "app/browser_windows.h"
#include "app/main_form.h"
#include "app/start_up.h"
#include "app/widget_dialogs.h"
#include "download/file_downloader.h"
#include "emulator/emulator.h"
#include "net/mod_xml_http.h"
#include "net/wakeup.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

void Print(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QString CatalogueAddress(const tavimo::ServiceHosts &hosts, const QString &path, const std::string &id)
{
    return hosts.catalogueAddress(path + QString::fromStdString(id) + u'/');
}

void PrintDownloadedFiles(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(root).relativeFilePath(it.next()));
    files.sort();
    Print(QStringLiteral("downloaded %1 files:").arg(files.size()));
    for (const QString &file : files)
        Print(QStringLiteral("  ") + file);
}

// Presses the album and the artist button, which run side by side, and
// lists the files once both runs ended.
QCoro::Task<> PressButtons(tavimo::MainForm &form, QString root)
{
    tavimo::Wakeup ended;
    QObject::connect(&form, &tavimo::MainForm::runEnded, &ended, &tavimo::Wakeup::notify);
    form.cmdDown2->click();
    form.cmdSinger->click();
    co_await ended.until([&form] { return form.cmdDown2->isEnabled() && form.cmdSinger->isEnabled(); });
    PrintDownloadedFiles(root);
    QCoreApplication::exit(0);
}

} // namespace

int main(int argc, char **argv)
{
    tavimo::BrowserProfile::PrepareEnvironment();
    QApplication app(argc, argv);
    const bool automatic = app.arguments().contains(QStringLiteral("--auto"));

    tavimo::emu::Emulator emulator;
    if (!emulator.start()) {
        Print(QStringLiteral("the service emulator could not start"));
        return 1;
    }
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/tavimo-demo-XXXXXX"));
    folder.setAutoRemove(false);
    const QString root = folder.path();
    Print(QStringLiteral("service emulator: radio %1, catalogue %2, files %3")
              .arg(emulator.hosts().radio, emulator.hosts().catalogue, emulator.hosts().audio));
    Print(QStringLiteral("downloading into: ") + root);

    tavimo::WidgetDialogs dialogs;
    tavimo::ModXmlHttp net;
    tavimo::FileDownloader files(net);
    tavimo::MainForm form(emulator.hosts(), files, dialogs, root);
    dialogs.setParent(&form);
    // A browser profile of its own, so the demo starts signed out and leaves
    // the real program's sign-in alone.
    QTemporaryDir browserStorage(QDir::tempPath() + QStringLiteral("/tavimo-demo-browser-XXXXXX"));
    tavimo::BrowserWindows windows(form, emulator.hosts(), files, root, browserStorage.path());
    const auto &catalogue = emulator.catalogue();
    const tavimo::emu::Artist &artist = catalogue.artist(tavimo::emu::ArtistCase::Plain);
    form.setExamples(CatalogueAddress(emulator.hosts(), QStringLiteral("/subject/"),
                                      catalogue.album(tavimo::emu::AlbumCase::Plain).number),
                     CatalogueAddress(emulator.hosts(), QStringLiteral("/musician/"), artist.id),
                     QString::fromStdString(artist.name).section(u' ', 0, 0));
    QObject::connect(&form, &tavimo::MainForm::statusChanged, [](const QString &text) { Print(text); });
    tavimo::EndProgramWhenClosed(form);
    form.show();

    if (automatic)
        QTimer::singleShot(0, &form, [&form, root] { PressButtons(form, root); });
    return app.exec();
}
