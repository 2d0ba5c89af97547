#pragma once

#include "emulator/mp3_file.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tavimo::emu {

inline constexpr const char *kHtmlType = "text/html; charset=utf-8";
inline constexpr const char *kJsonType = "application/json; charset=utf-8";
inline constexpr const char *kMp3Type = "audio/mpeg";

// What the service answers to one request, before delivery faults apply.
struct Reply {
    int status = 200;
    std::string contentType = kHtmlType;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::optional<Mp3File> file; // sent instead of body, generated while it goes out

    uint64_t bodySize() const { return file ? file->size() : body.size(); }
    void readBody(uint64_t offset, char *out, size_t length) const
    {
        if (file)
            file->read(offset, out, length);
        else
            body.copy(out, length, static_cast<size_t>(offset));
    }

    static Reply html(std::string page, int status = 200)
    {
        Reply reply;
        reply.status = status;
        reply.body = std::move(page);
        return reply;
    }
    static Reply json(std::string text)
    {
        Reply reply;
        reply.contentType = kJsonType;
        reply.body = std::move(text);
        return reply;
    }
};

} // namespace tavimo::emu
