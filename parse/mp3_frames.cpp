#include "parse/mp3_frames.h"

#include "parse/crc16.h"
#include "parse/encoder_record.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

namespace tavimo {

namespace {

// Large enough that reading costs a handful of calls a file, small enough
// that no file is ever held whole.
constexpr qint64 kWindowBytes = 1 << 20;
// Enough for the first frame after a plain ID3v2 tag.
constexpr qint64 kRecordWindowBytes = 64 << 10;
constexpr qint64 kFrameHeaderBytes = 4;
constexpr qint64 kId3v2HeaderBytes = 10; // the footer has the same length
constexpr quint8 kId3v2HasFooter = 0x10;
constexpr qint64 kId3v1Bytes = 128;
constexpr qint64 kApeFooterBytes = 32; // the header has the same length
constexpr quint32 kApeHasHeader = 0x80000000u;
constexpr qint64 kLyrics3v2EndBytes = 15;  // six digits of length, then "LYRICS200"
constexpr qint64 kLyrics3v1MarkBytes = 20; // "LYRICSBEGIN" and "LYRICSEND"
// Sync, version, layer and sample rate: what all frames of one stream share.
constexpr quint32 kSyncBits = 0xffe00000u;
constexpr quint32 kStreamBits = 0xfffe0c00u;

// kbit/s by bit-rate index 1..14.
constexpr int kBitRates[5][14] = {
    {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}, // MPEG-1 Layer I
    {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},    // MPEG-1 Layer II
    {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},     // MPEG-1 Layer III
    {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},    // MPEG-2/2.5 Layer I
    {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},         // MPEG-2/2.5 Layer II and III
};
// MPEG-1's; MPEG-2 halves them, MPEG-2.5 quarters them.
constexpr int kSampleRates[3] = {44100, 48000, 32000};

quint32 BigEndian32(const uchar *p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

quint32 LittleEndian32(const uchar *p)
{
    return quint32(p[3]) << 24 | quint32(p[2]) << 16 | quint32(p[1]) << 8 | quint32(p[0]);
}

// The length of the frame that starts with header, 0 when it is no frame header.
qint64 FrameLength(quint32 header)
{
    const int version = int(header >> 19) & 3; // 0: 2.5, 1: reserved, 2: 2, 3: 1
    const int layer = int(header >> 17) & 3;   // 1: III, 2: II, 3: I
    const int rateIndex = int(header >> 12) & 15;
    const int sampleIndex = int(header >> 10) & 3;
    if ((header & kSyncBits) != kSyncBits || version == 1 || layer == 0 || rateIndex == 0 || rateIndex == 15 ||
        sampleIndex == 3)
        return 0;
    const bool mpeg1 = version == 3;
    const int table = mpeg1 ? 3 - layer : (layer == 3 ? 3 : 4);
    const qint64 bitRate = qint64(kBitRates[table][rateIndex - 1]) * 1000;
    const qint64 sampleRate = kSampleRates[sampleIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    const qint64 padding = (header >> 9) & 1;
    if (layer == 3)
        return (12 * bitRate / sampleRate + padding) * 4;
    const qint64 factor = layer == 1 && !mpeg1 ? 72 : 144;
    return factor * bitRate / sampleRate + padding;
}

// Whether an APEv2 tag's bytes hold an item of a tool that changed the
// frames' gain in place (MP3GAIN_UNDO, MP3GAIN_MINMAX); item keys are
// compared without case.
bool MarksGainChange(const uchar *tag, qint64 size)
{
    constexpr std::string_view kMark = "MP3GAIN_";
    const auto upper = [](uchar c) { return c >= 'a' && c <= 'z' ? uchar(c - 'a' + 'A') : c; };
    const auto equal = [&upper](uchar a, char b) { return upper(a) == uchar(b); };
    return std::search(tag, tag + size, kMark.begin(), kMark.end(), equal) != tag + size;
}

class FrameWalk {
public:
    FrameWalk(qint64 size, const ReadAt &read, Mp3Depth depth)
        : size_(size), read_(read), depth_(depth),
          capacity_(std::min(size, depth == Mp3Depth::Record ? kRecordWindowBytes : kWindowBytes)),
          window_(new char[size_t(capacity_)])
    {
    }

    Mp3Verdict run();

private:
    const uchar *bytes(qint64 offset, qint64 count);
    bool has(qint64 offset, std::string_view mark);
    bool trailerFrom(qint64 offset);
    bool looksLikeHtml();
    Mp3Verdict againstRecord(qint64 first, qint64 audioFrames, qint64 audioEnd, quint16 crc) const;
    Mp3Verdict verdict(Mp3Fault fault, qint64 offset = 0, qint64 bytes = 0) const;

    qint64 size_;
    const ReadAt &read_;
    Mp3Depth depth_;
    EncoderRecord record_;
    bool gainChanged_ = false;
    qint64 capacity_;
    std::unique_ptr<char[]> window_;
    qint64 start_ = 0;
    qint64 length_ = 0;
    bool failed_ = false;
    qint64 failedAt_ = 0;
};

// The count bytes at offset, null past the end or after a read error.
const uchar *FrameWalk::bytes(qint64 offset, qint64 count)
{
    if (offset < 0 || count > size_ - offset || failed_)
        return nullptr;
    if (offset < start_ || offset + count > start_ + length_) {
        const qint64 wanted = std::min(capacity_, size_ - offset);
        const qint64 got = read_(offset, window_.get(), wanted);
        if (got < 0) {
            failed_ = true;
            failedAt_ = offset;
            return nullptr;
        }
        start_ = offset;
        length_ = std::min(got, wanted);
        if (length_ < count) {
            // The file ended before the size it was given; judge what it has.
            size_ = offset + length_;
            return nullptr;
        }
    }
    return reinterpret_cast<const uchar *>(window_.get()) + (offset - start_);
}

bool FrameWalk::has(qint64 offset, std::string_view mark)
{
    const uchar *at = bytes(offset, qint64(mark.size()));
    return at && std::memcmp(at, mark.data(), mark.size()) == 0;
}

// Whether the bytes from offset to the end are tags that end a file: APEv2
// and Lyrics3 blocks, then an ID3v1 tag, found back from the end, where
// APEv2 keeps its length.
bool FrameWalk::trailerFrom(qint64 offset)
{
    qint64 end = size_;
    if (end - kId3v1Bytes >= offset && has(end - kId3v1Bytes, "TAG"))
        end -= kId3v1Bytes;
    while (end > offset) {
        if (end - kApeFooterBytes >= offset && has(end - kApeFooterBytes, "APETAGEX")) {
            const uchar *footer = bytes(end - kApeFooterBytes, kApeFooterBytes);
            if (!footer)
                return false;
            const bool hasHeader = LittleEndian32(footer + 20) & kApeHasHeader;
            const qint64 length = qint64(LittleEndian32(footer + 12)) + (hasHeader ? kApeFooterBytes : 0);
            if (length < kApeFooterBytes || length > end - offset)
                return false;
            if (const uchar *tag = length <= capacity_ ? bytes(end - length, length) : nullptr)
                gainChanged_ = gainChanged_ || MarksGainChange(tag, length);
            end -= length;
        } else if (end - kLyrics3v2EndBytes >= offset && has(end - 9, "LYRICS200")) {
            const uchar *digits = bytes(end - kLyrics3v2EndBytes, 6);
            qint64 length = 0;
            for (int i = 0; i < 6; ++i) {
                if (!digits || digits[i] < '0' || digits[i] > '9')
                    return false;
                length = length * 10 + (digits[i] - '0');
            }
            end -= length + kLyrics3v2EndBytes;
            if (!has(end, "LYRICSBEGIN"))
                return false;
        } else {
            // Lyrics3 v1 keeps no length: it runs from its start mark to its end mark.
            return end - kLyrics3v1MarkBytes >= offset && has(end - 9, "LYRICSEND") && has(offset, "LYRICSBEGIN");
        }
    }
    return end == offset;
}

// Whether the file starts as markup does: "<" after blanks (and a UTF-8
// byte order mark).
bool FrameWalk::looksLikeHtml()
{
    qint64 at = has(0, "\xef\xbb\xbf") ? 3 : 0;
    for (const uchar *c; (c = bytes(at, 1)) != nullptr; ++at) {
        if (*c != ' ' && *c != '\t' && *c != '\r' && *c != '\n')
            return *c == '<';
    }
    return false;
}

Mp3Verdict FrameWalk::verdict(Mp3Fault fault, qint64 offset, qint64 bytes) const
{
    if (failed_)
        return {Mp3Fault::ReadError, failedAt_, 0, size_, QString()};
    return {fault, offset, bytes, size_, QString()};
}

Mp3Verdict FrameWalk::run()
{
    if (size_ == 0)
        return verdict(Mp3Fault::Empty);
    qint64 at = 0;
    if (const uchar *tag = bytes(0, kId3v2HeaderBytes);
        tag && has(0, "ID3") && tag[3] >= 2 && tag[3] <= 4 && (BigEndian32(tag + 6) & 0x80808080u) == 0) {
        const qint64 body = qint64(tag[6]) << 21 | qint64(tag[7]) << 14 | qint64(tag[8]) << 7 | qint64(tag[9]);
        at = kId3v2HeaderBytes + body + (tag[5] & kId3v2HasFooter ? kId3v2HeaderBytes : 0);
        if (at > size_)
            return verdict(Mp3Fault::TagPastEnd, 0, at);
        for (const uchar *zero; at < size_ && (zero = bytes(at, 1)) && *zero == 0;)
            ++at;
    }
    const uchar *header = bytes(at, kFrameHeaderBytes);
    if (!header || FrameLength(BigEndian32(header)) == 0)
        return verdict(at != 0 ? Mp3Fault::NoFrame : looksLikeHtml() ? Mp3Fault::HtmlPage : Mp3Fault::NotMp3, at);
    const quint32 stream = BigEndian32(header) & kStreamBits;
    const qint64 first = at;
    const qint64 firstLength = std::min(FrameLength(BigEndian32(header)), size_ - first);
    if (const uchar *frame = bytes(first, firstLength))
        record_ = ReadEncoderRecord(BigEndian32(frame), frame, firstLength);
    if (depth_ == Mp3Depth::Record && !record_.recorded())
        return verdict(Mp3Fault::None);
    const bool checksAudio = depth_ == Mp3Depth::Audio && record_.lameTag;
    qint64 frames = 0;
    quint16 crc = 0;
    while (at < size_) {
        header = bytes(at, kFrameHeaderBytes);
        const quint32 word = header ? BigEndian32(header) : 0;
        const qint64 length = (word & kStreamBits) == stream ? FrameLength(word) : 0;
        if (length > 0 && length <= size_ - at) {
            if (checksAudio && frames > 0) {
                const uchar *frame = bytes(at, length);
                crc = frame ? Crc16(crc, frame, length) : crc;
            }
            ++frames;
            at += length;
            continue;
        }
        if (trailerFrom(at))
            break;
        if (length > 0)
            return verdict(Mp3Fault::LastFrameCut, at, length - (size_ - at));
        return verdict(Mp3Fault::FramesBroken, at, size_ - at);
    }
    return againstRecord(first, frames - 1, at, crc);
}

// Whole frames: judged against what the encoder recorded, when it did.
Mp3Verdict FrameWalk::againstRecord(qint64 first, qint64 audioFrames, qint64 audioEnd, quint16 crc) const
{
    if (failed_ || !record_.recorded())
        return verdict(Mp3Fault::None);
    // Both counts run from the first frame's start to the last frame's end.
    const qint64 recordedBytes = std::max(record_.bytes, record_.lameTag ? record_.musicLength : 0);
    const qint64 missingBytes = std::max(qint64(0), recordedBytes - (audioEnd - first));
    if (audioFrames < record_.frames || missingBytes > 0) {
        Mp3Verdict cut = verdict(Mp3Fault::FramesMissing, audioEnd, missingBytes);
        cut.found = audioFrames;
        cut.recorded = record_.frames;
        return cut;
    }
    if (depth_ == Mp3Depth::Audio && record_.lameTag && !gainChanged_ && crc != record_.musicCrc) {
        Mp3Verdict damaged = verdict(Mp3Fault::AudioDamaged, first);
        damaged.found = crc;
        damaged.recorded = record_.musicCrc;
        return damaged;
    }
    return verdict(Mp3Fault::None);
}

} // namespace

Mp3Verdict WalkMp3Frames(qint64 fileSize, const ReadAt &read, Mp3Depth depth)
{
    if (fileSize < 0)
        return {Mp3Fault::ReadError, 0, 0, 0, QString()};
    return FrameWalk(fileSize, read, depth).run();
}

} // namespace tavimo
