#pragma once

#include <QString>

namespace tavimo {

// What the service says about a track, for the file's tags.
struct TrackTags {
    QString title;
    QString album;
    QString artist;
    int position = 0; // in its album, from 1; 0 when unknown
};

// One track a workflow hands over: where it comes from, where it goes and
// what the service says about it.
struct TrackFile {
    QString url;
    QString path;
    TrackTags tags;
    int job = 0; // which job of a run of several handed it over, from 1; 0 in a run of one
};

} // namespace tavimo
