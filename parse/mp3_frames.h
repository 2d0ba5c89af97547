#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

namespace tavimo {

// Reads up to size bytes at offset into out; returns how many were read
// (fewer only at the end of the file), -1 on a read error.
using ReadAt = std::function<qint64(qint64 offset, char *out, qint64 size)>;

enum class Mp3Fault {
    None,
    Empty,
    NotMp3,       // neither an ID3v2 tag nor a frame at the start
    TagPastEnd,   // the ID3v2 tag claims more bytes than the file has
    NoFrame,      // no frame after the ID3v2 tag
    FramesBroken, // something other than a frame or an end tag after a frame
    LastFrameCut,
    ReadError,
};

struct Mp3Verdict {
    Mp3Fault fault = Mp3Fault::None;
    qint64 offset = 0; // where the fault lies
    qint64 bytes = 0;  // TagPastEnd: bytes claimed; FramesBroken: bytes after offset; LastFrameCut: bytes missing
    qint64 fileSize = 0;
    QString error; // ReadError: what the system said

    bool whole() const { return fault == Mp3Fault::None; }
    // Why the file is not whole, for the user; empty when it is.
    QString reason() const;
};

// Follows the MPEG audio frames of a file of fileSize bytes from its start
// (after an ID3v2 tag) to its end (or an ID3v1, APEv2 or Lyrics3 tag there),
// reading it a window at a time. Frames must keep the first frame's version,
// layer and sample rate; free-format frames are not accepted.
Mp3Verdict WalkMp3Frames(qint64 fileSize, const ReadAt &read);

} // namespace tavimo
