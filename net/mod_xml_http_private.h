#pragma once

#include "net/mod_xml_http.h"
#include "net/reply_wait.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QThreadPool>

class QNetworkReply;
class QUrl;

namespace tavimo {

struct ModXmlHttp::Private {
    QNetworkAccessManager *manager = nullptr;
    int stallTimeoutMs = 30000;
    qint64 readBufferSize = 1024 * 1024;
    bool resumeEnabled = true;
    bool cancelled = false;
    QList<ReplyWait *> waits;
    // Temporary files being written, so two downloads never share one.
    QSet<QString> partsInUse;
    // Reused by every download; a read fills it and is written out before
    // any other handler can run, so nested downloads can share it.
    QByteArray readBuffer;
    // Finished files are flushed to the disk and renamed here.
    QThreadPool commits;

    // Waits for reply in a local event loop; cancelAll() can end the wait.
    WaitEnd wait(QNetworkReply *reply);
    QByteArray &buffer();
};

// Only http and https addresses are ever requested.
bool isWebAddress(const QUrl &url);

// Qt reports an HTTP error status as an error too; only a failure below HTTP
// (no connection, a broken or aborted transfer, a proxy failure) loses the body.
bool transferBroke(const QNetworkReply &reply);

} // namespace tavimo
