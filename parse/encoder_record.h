#pragma once

#include <QtGlobal>

namespace tavimo {

// What an encoder wrote about the stream into its first frame: the counts
// of a Xing/Info or VBRI header, and the LAME tag after a Xing header.
struct EncoderRecord {
    enum class Header { None, Xing, Vbri };
    Header header = Header::None;
    qint64 frames = 0; // audio frames after this one; 0 when not recorded
    qint64 bytes = 0;  // from this frame's start to the end of the stream; 0 when not recorded
    // A LAME tag is read only when its own CRC holds.
    bool lameTag = false;
    qint64 musicLength = 0; // from this frame's start to the end of the last frame
    quint16 musicCrc = 0;   // of the frames after this one

    bool recorded() const { return header != Header::None; }
};

// Reads the record of the first frame: its header word and its bytes (all
// of them, or as many as the file has).
EncoderRecord ReadEncoderRecord(quint32 header, const uchar *frame, qint64 length);

} // namespace tavimo
