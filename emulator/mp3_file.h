#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tavimo::emu {

// A silent MPEG-1 Layer III file whose bytes follow from the song identifier
// and the bit rate: an ID3v2 tag that pads the file to the wanted size, then
// frames of 44.1 kHz mono audio whose ancillary bytes spell the song and frame.
// Any byte range can be produced without building the whole file.
class Mp3File {
public:
    static constexpr uint64_t kDefaultSize = 200 * 1024;
    static constexpr size_t kTagHeaderSize = 10;
    static constexpr size_t kSideInfoSize = 17;

    Mp3File(std::string songId, bool highBitRate, uint64_t requestedSize);

    uint64_t size() const { return size_; }
    size_t frameLength() const { return frameLength_; }
    uint64_t frameCount() const { return frameCount_; }
    uint64_t tagLength() const { return tagLength_; }
    int kbps() const { return highBitRate_ ? 192 : 128; }

    // Copies the bytes at [offset, offset + length) of the file into out.
    void read(uint64_t offset, char *out, size_t length) const;
    std::string bytes() const;

private:
    std::string frame(uint64_t index) const;
    unsigned char tagByte(uint64_t offset) const;

    std::string songId_;
    bool highBitRate_;
    size_t frameLength_;
    uint64_t frameCount_;
    uint64_t tagLength_;
    uint64_t size_;
};

} // namespace tavimo::emu
