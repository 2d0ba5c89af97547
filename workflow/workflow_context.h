#pragma once

#include "workflow/main_view.h"
#include "net/mod_xml_http.h"
#include "net/service_hosts.h"
#include "download/track_downloads.h"
#include "parse/dictionary.h"

#include <QString>

namespace tavimo {

// Everything a workflow of the main window works with, handed in by whoever
// runs it (the window or the command line).
struct WorkflowContext {
    ServiceHosts hosts;
    ModXmlHttp &net;
    TrackDownloads &downloads;
    QString downloadRoot; // "/"-separated, no trailing "/"
    MainView &view;

    // True once the program is closing: a workflow returns at its next step
    // and writes nothing more.
    bool stopped() const { return net.isCancelled(); }

    QString albumAddressPrefix() const { return hosts.catalogueAddress(QStringLiteral("/subject/")); }
    QString artistAddressPrefix() const { return hosts.catalogueAddress(QStringLiteral("/musician/")); }
};

// The main window's track tables, kept for the life of the program: the album
// button's, the artist download's current album, and the playlist method's
// titles taken in its current run.
struct TrackTables {
    Dictionary<> dictAlbum2;
    Dictionary<> dictAlbum3;
    Dictionary<> dictPlaylist;
};

} // namespace tavimo
