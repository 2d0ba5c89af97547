// Walks arbitrary bytes as an MP3 file and checks that every read stays
// inside the file and that the verdict points into it and explains itself.
#include "fuzz/fuzz_support.h"
#include "parse/mp3_frames.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

using tavimo::fuzz::require;
using tavimo::Mp3Fault;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const qint64 fileSize = qint64(size);
    const tavimo::Mp3Verdict verdict = tavimo::WalkMp3Frames(fileSize, [&](qint64 offset, char *out, qint64 count) {
        require(offset >= 0 && offset < fileSize && count > 0);
        const qint64 read = std::min(count, fileSize - offset);
        std::memcpy(out, data + offset, size_t(read));
        return read;
    });
    require(verdict.fault != Mp3Fault::ReadError);
    require(verdict.fileSize == fileSize && verdict.offset >= 0 && verdict.offset <= fileSize && verdict.bytes >= 0);
    require((verdict.fault == Mp3Fault::Empty) == (size == 0));
    if (verdict.fault == Mp3Fault::FramesBroken)
        require(verdict.offset + verdict.bytes == fileSize);
    if (verdict.fault == Mp3Fault::TagPastEnd)
        require(verdict.bytes > fileSize);
    require(verdict.whole() == verdict.reason().isEmpty());
    return 0;
}
