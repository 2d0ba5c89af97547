#include "download/download_archive.h"

#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavimo {

namespace {

constexpr char kArchiveName[] = "tavimo";

// Holds an flock on a descriptor for its lifetime.
class FileLock {
public:
    FileLock(int fd, int operation) : fd_(fd), held_(::flock(fd, operation) == 0) {}
    ~FileLock()
    {
        if (held_)
            ::flock(fd_, LOCK_UN);
    }
    bool held() const { return held_; }

private:
    int fd_;
    bool held_;
};

bool IsDigits(const QByteArray &text)
{
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](char c) { return c >= '0' && c <= '9'; });
}

bool WriteAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

bool EndsInNewline(int fd)
{
    struct stat info {};
    char last = '\n';
    return ::fstat(fd, &info) != 0 || info.st_size == 0 || ::pread(fd, &last, 1, info.st_size - 1) != 1 || last == '\n';
}

} // namespace

QString SongIdOf(const QString &trackAddress)
{
    static const QRegularExpression song(QStringLiteral("/p(\\d+)[^/]*$"));
    const QRegularExpressionMatch match = song.match(trackAddress.section(u'?', 0, 0));
    return match.hasMatch() ? match.captured(1) : QString();
}

DownloadArchive::~DownloadArchive()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool DownloadArchive::fail(const QString &what)
{
    error_ = QStringLiteral("%1下载记录 %2: %3").arg(what, path_, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

bool DownloadArchive::open(const QString &path, bool forWriting)
{
    path_ = path;
    const QByteArray name = QFile::encodeName(path);
    fd_ = forWriting ? ::open(name.constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644)
                     : ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0 && !forWriting && errno == ENOENT)
        return true;
    if (fd_ < 0)
        return fail(forWriting ? QStringLiteral("无法写入") : QStringLiteral("无法读取"));
    const FileLock lock(fd_, LOCK_SH);
    QFile file;
    if (!file.open(fd_, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return fail(QStringLiteral("无法读取"));
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("无法读取"));
    read(text);
    return true;
}

void DownloadArchive::read(const QByteArray &text)
{
    int number = 0;
    for (qsizetype start = 0; start < text.size();) {
        const qsizetype end = text.indexOf('\n', start) < 0 ? text.size() : text.indexOf('\n', start);
        QByteArrayView line = QByteArrayView(text).sliced(start, end - start);
        start = end + 1;
        ++number;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const qsizetype space = line.indexOf(' ');
        const QByteArrayView tool = line.first(std::max<qsizetype>(space, 0));
        const QByteArray id = line.sliced(space + 1).toByteArray();
        const bool wellFormed = space > 0 && !id.isEmpty() && !id.contains(' ') && !id.contains('\t');
        if (wellFormed && tool != kArchiveName)
            continue;
        if (!wellFormed || !IsDigits(id)) {
            if (damagedLines_++ == 0)
                firstDamagedLine_ = number;
            continue;
        }
        ids_.insert(QString::fromLatin1(id));
    }
}

bool DownloadArchive::record(const QString &songId)
{
    if (songId.isEmpty() || ids_.contains(songId))
        return true;
    if (fd_ < 0) {
        errno = EBADF;
        return fail(QStringLiteral("无法写入"));
    }
    const FileLock lock(fd_, LOCK_EX);
    // A line cut short by an earlier crash must not swallow this one.
    const QByteArray line = (EndsInNewline(fd_) ? QByteArray() : QByteArray("\n")) + kArchiveName + ' ' +
                            songId.toLatin1() + '\n';
    if (!lock.held() || !WriteAll(fd_, line))
        return fail(QStringLiteral("无法写入"));
    ids_.insert(songId);
    return true;
}

} // namespace tavimo
