#pragma once

#include "download/file_downloader.h"
#include "emulator/emulator.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <set>
#include <string>

namespace tavimo::test {

// The four ways tracks reach the disk.
enum class Workflow { Album, Artist, Channel, Liked };

const char *WorkflowName(Workflow workflow);

// What a run downloads: an album and an artist by number (empty: the
// catalogue's plain ones); the channel is always the catalogue's first, the
// liked list the one served.
struct RunTargets {
    std::string albumNumber;
    std::string artistId;
};

// Runs one workflow to its end in-process against the emulator, downloading
// into root, with every pause shortened.
void RunWorkflow(Workflow workflow, emu::Emulator &emulator, FileDownloader &files, const QString &root,
                 const RunTargets &targets = {});

// The song identifiers whose files the workflow may write.
std::set<std::string> SongIdsOf(Workflow workflow, const emu::Catalogue &catalogue);

// Every file beneath root by relative path, with its bytes.
QMap<QString, QByteArray> FilesBeneath(const QString &root);

} // namespace tavimo::test
