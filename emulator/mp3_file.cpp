#include "emulator/mp3_file.h"

#include <algorithm>

namespace tavimo::emu {

namespace {

// 144 * bit rate / 44100, without the padding slot.
constexpr size_t kHighRateFrame = 626;
constexpr size_t kLowRateFrame = 417;

} // namespace

Mp3File::Mp3File(std::string songId, bool highBitRate, uint64_t requestedSize)
    : songId_(std::move(songId))
    , highBitRate_(highBitRate)
    , frameLength_(highBitRate ? kHighRateFrame : kLowRateFrame)
{
    const uint64_t wanted = std::max<uint64_t>(requestedSize, kTagHeaderSize + frameLength_);
    frameCount_ = (wanted - kTagHeaderSize) / frameLength_;
    tagLength_ = wanted - frameCount_ * frameLength_;
    size_ = wanted;
}

unsigned char Mp3File::tagByte(uint64_t offset) const
{
    // "ID3" v2.3, no flags, then the size of the (all padding) tag body in 7-bit groups.
    const uint64_t body = tagLength_ - kTagHeaderSize;
    switch (offset) {
    case 0: return 'I';
    case 1: return 'D';
    case 2: return '3';
    case 3: return 3;
    case 4:
    case 5: return 0;
    case 6: return static_cast<unsigned char>((body >> 21) & 0x7f);
    case 7: return static_cast<unsigned char>((body >> 14) & 0x7f);
    case 8: return static_cast<unsigned char>((body >> 7) & 0x7f);
    case 9: return static_cast<unsigned char>(body & 0x7f);
    default: return 0;
    }
}

std::string Mp3File::frame(uint64_t index) const
{
    std::string frame(frameLength_, '\0');
    frame[0] = static_cast<char>(0xff);
    frame[1] = static_cast<char>(0xfb);                       // MPEG-1, Layer III, no CRC
    frame[2] = static_cast<char>(highBitRate_ ? 0xb0 : 0x90); // 192 or 128 kbit/s, 44.1 kHz, no padding
    frame[3] = static_cast<char>(0xc4);                       // mono, original
    // Side information stays zero: no granule carries audio, so the frame decodes to silence.
    const std::string note = "tavimo song " + songId_ + " " + std::to_string(kbps()) + "k frame " +
                             std::to_string(index) + ". ";
    for (size_t at = 4 + kSideInfoSize, i = 0; at < frameLength_; ++at, ++i)
        frame[at] = note[i % note.size()];
    return frame;
}

void Mp3File::read(uint64_t offset, char *out, size_t length) const
{
    const uint64_t end = std::min<uint64_t>(offset + length, size_);
    while (offset < end) {
        if (offset < tagLength_) {
            *out++ = static_cast<char>(tagByte(offset++));
            continue;
        }
        const uint64_t index = (offset - tagLength_) / frameLength_;
        const uint64_t within = (offset - tagLength_) % frameLength_;
        const std::string bytes = frame(index);
        const size_t count = static_cast<size_t>(std::min<uint64_t>(frameLength_ - within, end - offset));
        std::copy_n(bytes.data() + within, count, out);
        out += count;
        offset += count;
    }
}

std::string Mp3File::bytes() const
{
    std::string all(static_cast<size_t>(size_), '\0');
    read(0, all.data(), all.size());
    return all;
}

} // namespace tavimo::emu
