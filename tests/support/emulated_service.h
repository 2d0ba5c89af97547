#pragma once

#include "download/file_names.h"
#include "emulator/emulator.h"

#include <QString>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavimo::test {

// A test against the emulator, started for it, with the addresses and files
// of its catalogue as a user would type and find them.
class EmulatedService : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(emulator.start()); }

    static QString q(const std::string &text) { return QString::fromStdString(text); }

    QString albumAddress(const emu::Album &album) const
    {
        return emulator.hosts().catalogueAddress(QStringLiteral("/subject/") + q(album.number) + u'/');
    }
    QString artistAddress(const emu::Artist &artist) const
    {
        return emulator.hosts().catalogueAddress(QStringLiteral("/musician/") + q(artist.id) + u'/');
    }
    // Where a track of an album downloaded by its page lands in the root.
    static QString trackFile(const emu::Album &album, const emu::Track &track)
    {
        return CleanFileName(q(album.title)) + u'/' + CleanFileName(q(track.title)) + QStringLiteral(".mp3");
    }

    // Requests whose path and query begin with prefix, in arrival order.
    std::vector<emu::RequestRecord> requests(const std::string &prefix) const
    {
        std::vector<emu::RequestRecord> found;
        for (const emu::RequestRecord &record : emulator.requestLog()) {
            if (record.target.rfind(prefix, 0) == 0)
                found.push_back(record);
        }
        return found;
    }
    int requestsTo(const std::string &prefix) const { return int(requests(prefix).size()); }

    emu::Emulator emulator;
};

} // namespace tavimo::test
