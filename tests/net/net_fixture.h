#pragma once

#include "download/file_downloader.h"
#include "download/part_source.h"
#include "loopback_server.h"
#include "net/mod_xml_http.h"
#include "tests/support/temp_root.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QString>

#include <algorithm>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <string>

namespace tavimo {

inline void PrintTo(DownloadOutcome outcome, std::ostream *out)
{
    static const char *const names[] = {"Saved", "AlreadyPresent", "Failed", "Cancelled"};
    *out << names[static_cast<int>(outcome)];
}

} // namespace tavimo

namespace tavimo::test {

// Sets environment variables for one test and puts the old values back.
class EnvironmentOverride {
public:
    void set(const char *name, const QByteArray &value)
    {
        if (!saved_.count(name))
            saved_[name] = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    ~EnvironmentOverride()
    {
        for (const auto &[name, value] : saved_)
            value ? qputenv(name.c_str(), *value) : qunsetenv(name.c_str());
    }

private:
    std::map<std::string, std::optional<QByteArray>> saved_;
};

// A loopback server, a fresh download folder, the network object and its
// downloader.
class NetTest : public ::testing::Test {
protected:
    // An ID3 tag's mark, then bytes that look like nothing in particular, as
    // an MP3 file's do.
    static std::string trackBytes(size_t size, unsigned seed = 7)
    {
        std::mt19937 random(seed);
        std::string bytes(size, '\0');
        for (char &byte : bytes)
            byte = char(random() & 0xff);
        bytes.replace(0, std::min<size_t>(size, 3), std::string("ID3").substr(0, size));
        return bytes;
    }
    static QByteArray bytes(const std::string &text) { return QByteArray::fromStdString(text); }

    // Leaves bytes in folder's relative + ".part" as an interrupted download
    // from the server's path would have.
    void keepPart(const TempRoot &folder, const QString &relative, const QByteArray &kept, const std::string &path)
    {
        const QString part = relative + QStringLiteral(".part");
        folder.write(part, kept);
        ASSERT_TRUE(RecordPartSource(folder.file(part), server.url(path)));
    }

    // A download with how it ended, waited for.
    DownloadEnd downloadEnd(const QString &url, const QString &path)
    {
        return QCoro::waitFor(downloader.download(TrackFile{url, path, {}}));
    }

    LoopbackServer server;
    TempRoot root;
    ModXmlHttp http;
    FileDownloader downloader{http};
};

} // namespace tavimo::test
