// The floor Qt's HTTP stack sets for a download: QNetworkAccessManager
// fetching the given addresses one after the other, each reply streamed
// through a 1 MB read buffer into a QSaveFile in DIR. tavimo-dl is measured
// against it to show what the program adds on top of the stack it runs on.
#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSaveFile>

#include <cstdio>
#include <functional>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: tavimo-bench-qtloop DIR URL...\n");
        return 2;
    }
    const QString dir = app.arguments().at(1);
    const QStringList urls = app.arguments().mid(2);
    QNetworkAccessManager manager;
    int failures = 0;
    qsizetype next = 0;
    std::function<void()> fetchNext = [&] {
        if (next == urls.size())
            return QCoreApplication::exit(failures);
        auto *file = new QSaveFile(dir + QStringLiteral("/%1.mp3").arg(next));
        file->open(QIODevice::WriteOnly);
        QNetworkReply *reply = manager.get(QNetworkRequest(QUrl(urls.at(next++))));
        reply->setReadBufferSize(1 << 20);
        QObject::connect(reply, &QNetworkReply::readyRead, [reply, file] { file->write(reply->readAll()); });
        QObject::connect(reply, &QNetworkReply::finished, [&, reply, file] {
            file->write(reply->readAll());
            failures += reply->error() != QNetworkReply::NoError || !file->commit();
            delete file;
            reply->deleteLater();
            fetchNext();
        });
    };
    fetchNext();
    return app.exec();
}
