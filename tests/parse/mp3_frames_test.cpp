#include "download/file_check.h"
#include "emulator/mp3_file.h"
#include "parse/crc16.h"
#include "parse/mp3_frames.h"
#include "support/temp_root.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <unistd.h>

using tavimo::Mp3Fault;

namespace {

// MPEG-1 Layer III, 128 kbit/s, 44.1 kHz, no padding: 417 bytes a frame.
QByteArray Frames(int count)
{
    return (QByteArray("\xff\xfb\x90\x00", 4) + QByteArray(413, 'a')).repeated(count);
}

QByteArray Id3v2(int body)
{
    const char size[] = {char(body >> 21 & 0x7f), char(body >> 14 & 0x7f), char(body >> 7 & 0x7f), char(body & 0x7f)};
    return QByteArray("ID3\x03\x00\x00", 6) + QByteArray(size, 4) + QByteArray(body, '\0');
}

// Larger than a read window, so that frames straddle windows.
QByteArray Emulated(bool highBitRate)
{
    return QByteArray::fromStdString(tavimo::emu::Mp3File("42", highBitRate, 3 << 20).bytes());
}

tavimo::Mp3Verdict Walk(const QByteArray &bytes, qint64 failFrom = -1,
                        tavimo::Mp3Depth depth = tavimo::Mp3Depth::Structure)
{
    const auto read = [&](qint64 offset, char *out, qint64 size) {
        if (failFrom >= 0 && offset + size > failFrom)
            return qint64(-1);
        const qint64 count = std::min(size, bytes.size() - offset);
        std::memcpy(out, bytes.constData() + offset, size_t(count));
        return count;
    };
    return tavimo::WalkMp3Frames(bytes.size(), read, depth);
}

void PutBigEndian(QByteArray &bytes, qsizetype at, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char(value >> (8 * (size - 1 - i)));
}

// An encoder's Info frame before `frames` frames of Frames(): the Xing
// counts, and a LAME tag with the music length and CRC of those frames and
// its own CRC (spoilt on request).
QByteArray InfoFrame(int frames, bool tagCrcHolds = true)
{
    QByteArray frame = Frames(1);
    const qsizetype xing = 36;
    frame.replace(xing, 8, QByteArray("Info\0\0\0\x0f", 8));
    PutBigEndian(frame, xing + 8, quint32(frames), 4);
    PutBigEndian(frame, xing + 12, quint32((frames + 1) * 417), 4);
    const qsizetype lame = xing + 8 + 8 + 100 + 4;
    frame.replace(lame, 9, "LAME3.100");
    PutBigEndian(frame, lame + 28, quint32((frames + 1) * 417), 4);
    const QByteArray audio = Frames(frames);
    PutBigEndian(frame, lame + 32, tavimo::Crc16(0, reinterpret_cast<const uchar *>(audio.constData()), audio.size()),
                 2);
    const quint16 tagCrc = tavimo::Crc16(0, reinterpret_cast<const uchar *>(frame.constData()), lame + 34);
    PutBigEndian(frame, lame + 34, tagCrcHolds ? tagCrc : quint16(~tagCrc), 2);
    return frame;
}

} // namespace

TEST(WalkMp3Frames, JudgesWholeAndBrokenFiles)
{
    const QByteArray id3v1 = "TAG" + QByteArray(125, ' ');
    // A footer-only APEv2 tag: its length (0x34) counts the 20 bytes of items and the footer.
    const QByteArray ape = QByteArray(20, 'i') + QByteArray("APETAGEX\xd0\x07\0\0\x34\0\0\0\1", 17) + QByteArray(15, 0);
    const QByteArray lyrics = QByteArray("LYRICSBEGIN") + "IND0000210";
    const struct {
        const char *name;
        QByteArray bytes;
        const char *reason; // empty for a whole file
    } rows[] = {
        {"tag and frames", Id3v2(100) + Frames(3), ""},
        {"frames only", Frames(3), ""},
        {"zeros after the tag", Id3v2(10) + QByteArray(50, '\0') + Frames(2), ""},
        {"ID3v1 at the end", Frames(3) + id3v1, ""},
        {"APEv2 and ID3v1", Frames(3) + ape + id3v1, ""},
        {"Lyrics3", Frames(3) + lyrics + QByteArray::number(lyrics.size()).rightJustified(6, '0') + "LYRICS200", ""},
        {"emulated 128k", Emulated(false), ""},
        {"emulated 192k", Emulated(true), ""},
        {"empty", QByteArray(), "空文件"},
        {"HTML page", " \r\n<html><body>404</body></html>", "不是 MP3 文件, 而是一个 HTML 网页"},
        {"text", "404 Not Found", "开头既不是 ID3v2 标签也不是 MPEG 音频帧"},
        {"the counts its encoder recorded", InfoFrame(5) + Frames(5) + id3v1, ""},
        {"cut at a frame boundary", InfoFrame(5) + Frames(3), "文件被截断: 编码器记录了 5 帧, 只有 3 帧 (缺 834 字节)"},
        {"cut before the tags", InfoFrame(5) + Frames(4) + ape + id3v1,
         "文件被截断: 编码器记录了 5 帧, 只有 4 帧 (缺 417 字节)"},
        {"tag claiming 256 MB, the most it can", QByteArray("ID3\x04\x00\x00\x7f\x7f\x7f\x7f", 10) + Frames(1),
         "标签声称 268435465 字节, 文件只有 427 字节"},
        {"no frame after the tag", Id3v2(100) + "<html></html>", "没有 MPEG 音频帧"},
        {"garbage after frames", Frames(3) + QByteArray(900, 'x'), "第 1251 字节处音频帧中断, 其后还有 900 字节"},
        {"ID3v1 a byte short", Frames(3) + id3v1.chopped(1), "第 1251 字节处音频帧中断, 其后还有 127 字节"},
        {"last frame cut", Frames(3).chopped(200), "最后一帧不完整 (缺 200 字节)"},
        {"long file cut", Emulated(false).chopped(100), "最后一帧不完整 (缺 100 字节)"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const tavimo::Mp3Verdict verdict = Walk(row.bytes);
        EXPECT_EQ(verdict.whole(), !*row.reason);
        EXPECT_EQ(verdict.reason(), QString::fromUtf8(row.reason));
    }
    // A read that fails past the first window still fails the file.
    EXPECT_EQ(Walk(Emulated(false), 2 << 20).fault, Mp3Fault::ReadError);
}

// The CRC-16 the encoders record, by its published check value.
TEST(Crc16, MatchesTheCheckValue)
{
    const QByteArray digits = "123456789";
    EXPECT_EQ(tavimo::Crc16(0, reinterpret_cast<const uchar *>(digits.constData()), digits.size()), 0xbb3d);
    // Folded in pieces of any length, the CRC is the same.
    const QByteArray long_ = Frames(3) + digits;
    const auto *data = reinterpret_cast<const uchar *>(long_.constData());
    EXPECT_EQ(tavimo::Crc16(tavimo::Crc16(0, data, 13), data + 13, long_.size() - 13),
              tavimo::Crc16(0, data, long_.size()));
}

// Reading every byte, audio that does not match the recorded CRC is damaged,
// unless a gain tool marked its change or the tag's own CRC fails.
TEST(WalkMp3Frames, JudgesTheAudioByItsRecordedCrc)
{
    QByteArray flipped = InfoFrame(5) + Frames(5);
    flipped[417 * 3 + 200] = char(flipped[417 * 3 + 200] ^ 0x10);
    const QByteArray gainItem = QByteArray("\x0c\0\0\0\0\0\0\0MP3GAIN_UNDO\0", 21) + "+003,+003,N";
    const QByteArray gainTag = gainItem + QByteArray("APETAGEX\xd0\x07\0\0", 12) +
                               QByteArray(1, char(gainItem.size() + 32)) + QByteArray("\0\0\0\1", 4) +
                               QByteArray(15, 0);
    const struct {
        const char *name;
        QByteArray bytes;
        Mp3Fault structure, audio;
    } rows[] = {
        {"whole", InfoFrame(5) + Frames(5), Mp3Fault::None, Mp3Fault::None},
        {"a byte flipped", flipped, Mp3Fault::None, Mp3Fault::AudioDamaged},
        {"gain changed in place", flipped + gainTag, Mp3Fault::None, Mp3Fault::None},
        {"tag's own CRC fails", InfoFrame(5, false) + Frames(4) + flipped.right(417), Mp3Fault::None, Mp3Fault::None},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Walk(row.bytes).fault, row.structure);
        EXPECT_EQ(Walk(row.bytes, -1, tavimo::Mp3Depth::Audio).fault, row.audio);
    }
}

TEST(CheckMp3Folder, ReportsEveryMp3ThatIsNotWhole)
{
    tavimo::test::TempRoot root;
    root.write("a.mp3", Frames(3));
    root.write("b.MP3", Frames(2));
    root.write("x.mp3/inside.mp3", "<html></html>");
    for (const char *name : {"c.mp3.part", "c.mp3.broken"})
        root.write(name, "x");
    ASSERT_EQ(symlink("y.mp3", QFile::encodeName(root.file("y.mp3")).constData()), 0);
    ASSERT_EQ(symlink("nowhere", QFile::encodeName(root.file("z.mp3")).constData()), 0);
    ASSERT_EQ(symlink("..", QFile::encodeName(root.file("x.mp3/up.mp3")).constData()), 0);
    QList<std::pair<QString, QString>> expected = {
        {"x.mp3/inside.mp3", "不是 MP3 文件, 而是一个 HTML 网页"}, {"y.mp3", "无法读取: "}, {"z.mp3", "无法读取: "}};
    // Root reads any file, whatever its permissions say.
    if (geteuid() != 0) {
        root.write("u.mp3", Frames(1));
        ASSERT_TRUE(QFile::setPermissions(root.file("u.mp3"), {}));
        expected.prepend({"u.mp3", "无法读取: "});
    }

    const tavimo::FolderCheck check = tavimo::CheckMp3Folder(root.path());
    EXPECT_EQ(check.files.size(), expected.size() + 2);
    QList<tavimo::CheckedFile> broken;
    std::copy_if(check.files.cbegin(), check.files.cend(), std::back_inserter(broken),
                 [](const tavimo::CheckedFile &file) { return !file.verdict.whole(); });
    ASSERT_EQ(broken.size(), expected.size());
    EXPECT_EQ(check.broken(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const QString reason = broken[i].verdict.reason();
        EXPECT_EQ(QDir(root.path()).relativeFilePath(broken[i].path), expected[i].first);
        EXPECT_TRUE(reason.startsWith(expected[i].second)) << reason.toStdString();
    }
    EXPECT_EQ(tavimo::CheckMp3File(root.path()).fault, Mp3Fault::ReadError);
}
