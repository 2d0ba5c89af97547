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
    HtmlPage,     // a web page (an error page kept as a file)
    TagPastEnd,   // the ID3v2 tag claims more bytes than the file has
    NoFrame,      // no frame after the ID3v2 tag
    FramesBroken, // something other than a frame or an end tag after a frame
    LastFrameCut,
    FramesMissing, // whole frames, but fewer frames or bytes than the encoder recorded
    AudioDamaged,  // the audio data does not match the CRC the encoder recorded
    ReadError,
};

// How far a walk looks: only the counts the encoder recorded (the frames are
// walked only where it recorded them), the structure (the frames, and those
// counts), or also the audio data against the encoder's CRC, which reads
// every byte.
enum class Mp3Depth { Record, Structure, Audio };

struct Mp3Verdict {
    Mp3Fault fault = Mp3Fault::None;
    qint64 offset = 0; // where the fault lies
    qint64 bytes =
        0; // TagPastEnd: bytes claimed; FramesBroken: bytes after offset; LastFrameCut, FramesMissing: bytes missing
    qint64 fileSize = 0;
    QString error; // ReadError: what the system said
    // FramesMissing: the audio frames found and recorded; AudioDamaged: the
    // CRC found and recorded.
    qint64 found = 0;
    qint64 recorded = 0;

    bool whole() const { return fault == Mp3Fault::None; }
    // Why the file is not whole, for the user; empty when it is.
    QString reason() const;
};

// Follows the MPEG audio frames of a file of fileSize bytes from its start
// (after an ID3v2 tag) to its end (or an ID3v1, APEv2 or Lyrics3 tag there),
// reading it a window at a time. Frames must keep the first frame's version,
// layer and sample rate; free-format frames are not accepted. Where the first
// frame holds the encoder's record (Xing/Info or VBRI, and a LAME tag), the
// frames found must reach its counts; at Audio depth the frames after it must
// match its music CRC, unless an APEv2 tag says a gain tool changed them.
Mp3Verdict WalkMp3Frames(qint64 fileSize, const ReadAt &read, Mp3Depth depth = Mp3Depth::Structure);

} // namespace tavimo
