#include "parse/encoder_record.h"

#include "parse/crc16.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace tavimo {

namespace {

constexpr quint32 kXingHasFrames = 0x1;
constexpr quint32 kXingHasBytes = 0x2;
constexpr quint32 kXingHasToc = 0x4;
constexpr quint32 kXingHasQuality = 0x8;
constexpr qint64 kTocBytes = 100;
constexpr qint64 kLameTagBytes = 36;
constexpr qint64 kLameMusicLengthAt = 28;
constexpr qint64 kLameMusicCrcAt = 32;
constexpr qint64 kLameTagCrcAt = 34;
constexpr qint64 kVbriAt = 36; // after the header and 32 bytes of side information
constexpr qint64 kVbriBytesAt = 10;
constexpr qint64 kVbriFramesAt = 14;

// Where a Xing header stands: after the header and the side information,
// which is shorter for one channel and for MPEG-2 and 2.5.
qint64 XingOffset(quint32 header)
{
    const bool mpeg1 = ((header >> 19) & 3) == 3;
    const bool mono = ((header >> 6) & 3) == 3;
    return 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
}

bool MarkAt(const uchar *frame, qint64 length, qint64 at, const char *mark)
{
    return at + 4 <= length && std::memcmp(frame + at, mark, 4) == 0;
}

quint32 Word(const uchar *at)
{
    return qFromBigEndian<quint32>(at);
}

void ReadLameTag(EncoderRecord &record, const uchar *frame, qint64 length, qint64 at)
{
    if (at + kLameTagBytes > length)
        return;
    const quint16 tagCrc = qFromBigEndian<quint16>(frame + at + kLameTagCrcAt);
    if (Crc16(0, frame, at + kLameTagCrcAt) != tagCrc)
        return;
    record.lameTag = true;
    record.musicLength = Word(frame + at + kLameMusicLengthAt);
    record.musicCrc = qFromBigEndian<quint16>(frame + at + kLameMusicCrcAt);
}

} // namespace

EncoderRecord ReadEncoderRecord(quint32 header, const uchar *frame, qint64 length)
{
    EncoderRecord record;
    const qint64 xing = XingOffset(header);
    if (MarkAt(frame, length, xing, "Xing") || MarkAt(frame, length, xing, "Info")) {
        if (xing + 8 > length)
            return record;
        record.header = EncoderRecord::Header::Xing;
        const quint32 flags = Word(frame + xing + 4);
        qint64 at = xing + 8;
        const auto field = [&](quint32 flag, qint64 size) -> qint64 {
            if ((flags & flag) == 0 || at + size > length)
                return 0;
            at += size;
            return size == 4 ? qint64(Word(frame + at - 4)) : 0;
        };
        record.frames = field(kXingHasFrames, 4);
        record.bytes = field(kXingHasBytes, 4);
        field(kXingHasToc, kTocBytes);
        field(kXingHasQuality, 4);
        ReadLameTag(record, frame, length, at);
    } else if (MarkAt(frame, length, kVbriAt, "VBRI") && kVbriAt + kVbriFramesAt + 4 <= length) {
        record.header = EncoderRecord::Header::Vbri;
        record.bytes = Word(frame + kVbriAt + kVbriBytesAt);
        // Counted with the VBRI frame or without it, by encoder: the lower
        // count, so that no whole file is called cut.
        record.frames = std::max<qint64>(0, qint64(Word(frame + kVbriAt + kVbriFramesAt)) - 1);
    }
    return record;
}

} // namespace tavimo
