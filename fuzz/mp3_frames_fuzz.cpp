// Walks arbitrary bytes as an MP3 file at each depth and checks that every
// read stays inside the file, that the verdict points into it and explains
// itself, and that the depths agree: reading more finds only a damaged audio
// CRC more, reading only the encoder's record finds nothing else.
#include "fuzz/fuzz_support.h"
#include "parse/mp3_frames.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

using tavimo::Mp3Depth;
using tavimo::Mp3Fault;
using tavimo::fuzz::require;

namespace {

tavimo::Mp3Verdict Walk(const uint8_t *data, qint64 fileSize, Mp3Depth depth)
{
    const auto read = [&](qint64 offset, char *out, qint64 count) {
        require(offset >= 0 && offset < fileSize && count > 0);
        const qint64 got = std::min(count, fileSize - offset);
        std::memcpy(out, data + offset, size_t(got));
        return got;
    };
    const tavimo::Mp3Verdict verdict = tavimo::WalkMp3Frames(fileSize, read, depth);
    require(verdict.fault != Mp3Fault::ReadError);
    require(verdict.fileSize == fileSize && verdict.offset >= 0 && verdict.offset <= fileSize && verdict.bytes >= 0);
    require((verdict.fault == Mp3Fault::Empty) == (fileSize == 0));
    if (verdict.fault == Mp3Fault::FramesBroken)
        require(verdict.offset + verdict.bytes == fileSize);
    if (verdict.fault == Mp3Fault::TagPastEnd)
        require(verdict.bytes > fileSize);
    if (verdict.fault == Mp3Fault::FramesMissing)
        require(verdict.found < verdict.recorded || verdict.bytes > 0);
    require(verdict.whole() == verdict.reason().isEmpty());
    return verdict;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const qint64 fileSize = qint64(size);
    const tavimo::Mp3Verdict structure = Walk(data, fileSize, Mp3Depth::Structure);
    const tavimo::Mp3Verdict audio = Walk(data, fileSize, Mp3Depth::Audio);
    const tavimo::Mp3Verdict record = Walk(data, fileSize, Mp3Depth::Record);
    require(structure.fault != Mp3Fault::AudioDamaged && record.fault != Mp3Fault::AudioDamaged);
    require(structure.whole() ? (audio.whole() || audio.fault == Mp3Fault::AudioDamaged)
                              : audio.fault == structure.fault);
    require(record.whole() || record.fault == structure.fault);
    return 0;
}
