#pragma once

#include "net/curl_engine.h"
#include "net/mod_xml_http.h"
#include "net/reply_wait.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QThreadPool>

class QUrl;

namespace tavimo {

struct ModXmlHttp::Private {
    CurlEngine engine;
    int stallTimeoutMs = 30000;
    qint64 readBufferSize = 1024 * 1024;
    bool resumeEnabled = true;
    bool cancelled = false;
    QList<ReplyWait *> waits;
    // Temporary files being written, so two downloads never share one.
    QSet<QString> partsInUse;
    // Finished files are flushed to the disk and renamed here.
    QThreadPool commits;

    // Waits for reply in a local event loop; cancelAll() can end the wait.
    WaitEnd wait(HttpReply *reply);
};

// Only http and https addresses are ever requested.
bool isWebAddress(const QUrl &url);

} // namespace tavimo
