#pragma once

#include <QtGlobal>

namespace tavimo {

// The CRC-16 that MP3 encoders record in their LAME tag (polynomial 0x8005,
// reflected, starting from 0), continued from crc over size bytes.
quint16 Crc16(quint16 crc, const uchar *data, qint64 size);

} // namespace tavimo
