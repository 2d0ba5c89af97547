#include "tests/support/auto_click.h"

#include "app/browser_windows.h"
#include "app/liked_songs_form.h"
#include "app/main_form.h"
#include "app/web_browser.h"
#include "workflow/liked_page.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWebEnginePage>

#include <cstdio>

namespace tavimo::test {

namespace {

void PrintStatusAndEnd(MainForm &form)
{
    std::printf("%s\n", form.statusText().toUtf8().constData());
    std::fflush(stdout);
    QCoreApplication::exit(0);
}

void AutoClickAlbum(MainForm &form, const QString &address)
{
    if (!address.isEmpty())
        form.txtAlbumID->setText(address);
    QObject::connect(&form, &MainForm::runEnded, &form, [&form] { PrintStatusAndEnd(form); });
    form.cmdDown2->click();
}

// Types the credentials into the service's sign-in form as a user would.
void SignInWhenAsked(likedSongsForm &liked, const ServiceHosts &hosts, const QString &credentials)
{
    // The two texts as a JSON array, which reads as a script literal too.
    const QString values = QString::fromUtf8(
        QJsonDocument(QJsonArray{credentials.section(u':', 0, 0), credentials.section(u':', 1)}).toJson(QJsonDocument::Compact));
    QObject::connect(liked.WebBrowser1, &WebBrowser::DocumentComplete, &liked, [&liked, hosts, values](const QString &address) {
        if (address != LikedSignInAddress(hosts))
            return;
        liked.WebBrowser1->page()->runJavaScript(QStringLiteral("(typed => {"
                                                                "document.getElementById('email').value = typed[0];"
                                                                "document.getElementById('password').value = typed[1];"
                                                                "document.getElementById('lzform').submit(); })(%1)")
                                                     .arg(values));
    });
}

void AutoClickLiked(MainForm &form, BrowserWindows &windows, const QString &credentials)
{
    form.cmdDownLikedSongs->click();
    likedSongsForm *liked = windows.liked();
    if (liked == nullptr) {
        PrintStatusAndEnd(form);
        return;
    }
    if (!credentials.isEmpty())
        SignInWhenAsked(*liked, windows.hosts(), credentials);
    QObject::connect(liked, &likedSongsForm::closed, &form, [&form] { PrintStatusAndEnd(form); });
}

} // namespace

void ArmAutoClick(MainForm &form, BrowserWindows &windows, const QString &trigger)
{
    const QString action = trigger.section(u'=', 0, 0);
    const QString argument = trigger.section(u'=', 1);
    if (action == QStringLiteral("album"))
        QTimer::singleShot(0, &form, [&form, argument] { AutoClickAlbum(form, argument); });
    else if (action == QStringLiteral("liked"))
        QTimer::singleShot(0, &form, [&form, &windows, argument] { AutoClickLiked(form, windows, argument); });
}

} // namespace tavimo::test
