#include "download/track_tagger.h"
#include "emulator/emulator.h"
#include "tests/net/net_fixture.h"
#include "tests/support/temp_root.h"

#include <QFile>

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

#include <gtest/gtest.h>

namespace tavimo {
namespace {

using test::NetTest;

QString Text(const TagLib::String &text)
{
    return QString::fromStdString(text.to8Bit(true));
}

// The service's metadata goes in as ID3v2.4 beside the frames already there;
// what is unknown is left out; a file that is no MP3 stays as it was.
TEST(TrackTagger, WritesMetadataAndKeepsOtherFrames)
{
    emu::Emulator emulator;
    test::TempRoot root;
    const QString path = root.file(QStringLiteral("t.mp3"));
    root.write(QStringLiteral("t.mp3"), QByteArray::fromStdString(emulator.expectedMp3("1", true)));
    {
        TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
        auto *picture = new TagLib::ID3v2::AttachedPictureFrame;
        picture->setMimeType("image/png");
        picture->setPicture(TagLib::ByteVector("not really a png"));
        file.ID3v2Tag(true)->addFrame(picture);
        ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3));
    }

    QString error;
    ASSERT_TRUE(WriteTrackTags(path, {QStringLiteral("晴天"), QStringLiteral("晴天 Sunny Day"), QString(), 3}, error))
        << error.toStdString();
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
    TagLib::ID3v2::Tag *tag = file.ID3v2Tag();
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->header()->majorVersion(), 4u);
    EXPECT_EQ(Text(tag->title()), QStringLiteral("晴天"));
    EXPECT_EQ(Text(tag->album()), QStringLiteral("晴天 Sunny Day"));
    EXPECT_TRUE(tag->artist().isEmpty());
    EXPECT_EQ(tag->track(), 3u);
    EXPECT_EQ(tag->frameListMap()["APIC"].size(), 1u);

    root.write(QStringLiteral("page.mp3"), QByteArray("<html>not an mp3</html>"));
    EXPECT_FALSE(WriteTrackTags(root.file(QStringLiteral("page.mp3")), {QStringLiteral("x"), {}, {}, 0}, error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(root.read(QStringLiteral("page.mp3")), QByteArray("<html>not an mp3</html>"));
}

// With tagging on, a damaged MP3 that cannot be tagged is still saved whole,
// untouched, and its end says why it carries no tags.
TEST_F(NetTest, UntaggableFileIsSavedAndSaysSo)
{
    const std::string damaged = "ID3" + std::string(20000, 'x');
    test::Resource resource;
    resource.body = damaged;
    server.put("/damaged.mp3", resource);
    downloader.setTagging([](const TrackFile &) { return true; });
    const DownloadEnd end = downloadEnd(server.url("/damaged.mp3"), root.file(QStringLiteral("d.mp3")));
    EXPECT_EQ(end.outcome, DownloadOutcome::Saved);
    EXPECT_TRUE(end.reason.startsWith(QStringLiteral("未写入标签: "))) << end.reason.toStdString();
    EXPECT_EQ(root.read(QStringLiteral("d.mp3")), bytes(damaged));
}

} // namespace
} // namespace tavimo
