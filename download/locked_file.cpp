#include "download/locked_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavimo {

namespace {

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

// The whole file from its start, whatever the descriptor's position.
std::optional<QByteArray> ReadWhole(int fd)
{
    QByteArray text;
    char chunk[65536];
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(fd, chunk, sizeof chunk, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return text;
        text.append(chunk, got);
        offset += got;
    }
}

} // namespace

FileLock::FileLock(int fd, int operation) : fd_(fd), held_(::flock(fd, operation) == 0) {}

FileLock::~FileLock()
{
    if (held_)
        ::flock(fd_, LOCK_UN);
}

SharedLineFile::~SharedLineFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool SharedLineFile::open(const QString &path, Access access)
{
    path_ = path;
    access_ = access;
    if (access == Access::Append)
        return openForAppending();
    const QByteArray name = QFile::encodeName(path);
    const int flags = access == Access::Read ? O_RDONLY : O_RDWR | O_APPEND;
    fd_ = ::open(name.constData(), flags | O_CLOEXEC);
    return fd_ >= 0 || errno == ENOENT;
}

bool SharedLineFile::openForAppending()
{
    if (access_ == Access::AppendLater && !QDir().mkpath(QFileInfo(path_).path()))
        return false;
    fd_ = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    return fd_ >= 0;
}

std::optional<QByteArray> SharedLineFile::read() const
{
    if (fd_ < 0)
        return QByteArray();
    const FileLock lock(fd_, LOCK_SH);
    if (!lock.held())
        return std::nullopt;
    return ReadWhole(fd_);
}

bool SharedLineFile::exclusively(const std::function<bool()> &work)
{
    if (fd_ < 0 && access_ == Access::Read) {
        errno = EBADF;
        return false;
    }
    if (fd_ < 0 && !openForAppending())
        return false;
    const FileLock lock(fd_, LOCK_EX);
    return lock.held() && work();
}

bool SharedLineFile::append(const QByteArray &line, bool (*skip)(const QByteArray &text, const QByteArray &line))
{
    return exclusively([this, &line, skip] {
        if (skip != nullptr) {
            const std::optional<QByteArray> text = ReadWhole(fd_);
            if (!text)
                return false;
            if (skip(*text, line))
                return true;
        }
        struct stat info {};
        char last = '\n';
        const bool unended = ::fstat(fd_, &info) == 0 && info.st_size > 0 &&
                             ::pread(fd_, &last, 1, info.st_size - 1) == 1 && last != '\n';
        return WriteAll(fd_, (unended ? QByteArray("\n") : QByteArray()) + line + '\n');
    });
}

} // namespace tavimo
