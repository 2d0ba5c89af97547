#pragma once

#include "net/curl_engine.h"
#include "net/mod_xml_http.h"

#include <QSet>
#include <QString>
#include <QThreadPool>

namespace tavimo {

struct ModXmlHttp::Private {
    CurlEngine engine;
    int stallTimeoutMs = 30000;
    qint64 readBufferSize = 1024 * 1024;
    bool resumeEnabled = true;
    bool cancelled = false;
    // Temporary files being written, so two downloads never share one.
    QSet<QString> partsInUse;
    // Finished files are flushed to the disk and renamed here.
    QThreadPool commits;
};

} // namespace tavimo
