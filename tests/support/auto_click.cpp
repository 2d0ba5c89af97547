#include "tests/support/auto_click.h"

#include "app/browser_windows.h"
#include "app/liked_songs_form.h"
#include "app/main_form.h"
#include "app/web_browser.h"
#include "workflow/liked_page.h"

#include <QCoreApplication>
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
    form.cmdDown2->click();
    PrintStatusAndEnd(form);
}

// A single-quoted script literal that cannot end early or close a script tag.
QString JavaScriptString(const QString &text)
{
    QString quoted = QStringLiteral("'");
    for (const QChar c : text) {
        if (c == u'\'' || c == u'\\' || c.unicode() < 0x20 || c == u'<')
            quoted += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            quoted += c;
    }
    return quoted + u'\'';
}

// Types the credentials into the service's sign-in form as a user would.
void SignInWhenAsked(likedSongsForm &liked, const ServiceHosts &hosts, const QString &credentials)
{
    const QString email = credentials.section(u':', 0, 0);
    const QString password = credentials.section(u':', 1);
    QObject::connect(liked.WebBrowser1, &WebBrowser::DocumentComplete, &liked,
                     [&liked, hosts, email, password](const QString &address) {
                         if (address != LikedSignInAddress(hosts))
                             return;
                         liked.WebBrowser1->page()->runJavaScript(
                             QStringLiteral("document.getElementById('email').value = %1;"
                                            "document.getElementById('password').value = %2;"
                                            "document.getElementById('lzform').submit();")
                                 .arg(JavaScriptString(email), JavaScriptString(password)));
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
