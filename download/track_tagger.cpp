#include "download/track_tagger.h"

#include <QFile>

#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>

namespace tavimo {

namespace {

TagLib::String Text(const QString &text)
{
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

// Frames TagLib makes itself are written as UTF-8, which ID3v2.4 allows;
// set once, before the first tag is written on any thread.
void UseUtf8Frames()
{
    static const bool once = [] {
        TagLib::ID3v2::FrameFactory::instance()->setDefaultTextEncoding(TagLib::String::UTF8);
        return true;
    }();
    (void)once;
}

} // namespace

bool WriteTrackTags(const QString &path, const TrackTags &tags, QString &error)
{
    UseUtf8Frames();
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
    if (!file.isValid() || file.firstFrameOffset() < 0) {
        error = QStringLiteral("无法作为 MP3 文件读取");
        return false;
    }
    TagLib::ID3v2::Tag *tag = file.ID3v2Tag(true);
    if (!tags.title.isEmpty())
        tag->setTitle(Text(tags.title));
    if (!tags.album.isEmpty())
        tag->setAlbum(Text(tags.album));
    if (!tags.artist.isEmpty())
        tag->setArtist(Text(tags.artist));
    if (tags.position > 0)
        tag->setTrack(unsigned(tags.position));
    if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v4,
                   TagLib::File::DoNotDuplicate)) {
        error = QStringLiteral("无法写入标签");
        return false;
    }
    return true;
}

} // namespace tavimo
