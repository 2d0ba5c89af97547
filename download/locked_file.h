#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace tavimo {

// Holds an flock on a descriptor for its lifetime.
class FileLock {
public:
    FileLock(int fd, int operation);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    bool held() const { return held_; }

private:
    int fd_;
    bool held_;
};

// A file of lines that several runs share and append to: it is read under
// a shared lock, and each line goes in with one write under an exclusive
// lock, so no run loses or tears another's line.
class SharedLineFile {
public:
    SharedLineFile() = default;
    SharedLineFile(const SharedLineFile &) = delete;
    SharedLineFile &operator=(const SharedLineFile &) = delete;
    ~SharedLineFile();

    // How a file is opened: to be read only; for appending, made now when
    // missing; or for appending, made with its folder by the first line.
    enum class Access { Read, Append, AppendLater };

    // Opens the file at path; false with errno set when it cannot be
    // opened. A missing file that is not to be made now is an empty one.
    bool open(const QString &path, Access access);
    bool isOpen() const { return fd_ >= 0; }
    // The whole text, read under a shared lock; nothing, with errno set,
    // when it cannot be read.
    std::optional<QByteArray> read() const;
    // Appends line (without its newline) unless skip says the text as it
    // stands under the lock already holds it; false with errno set when it
    // could not be written. A line cut short by an earlier crash is ended
    // first, so it cannot swallow this one.
    bool append(const QByteArray &line, bool (*skip)(const QByteArray &text, const QByteArray &line) = nullptr);

    // Runs work while this run alone holds the file's lock, for changes to
    // files beside it that must not interleave with another run's; false
    // with errno set when the lock cannot be had, else work's result.
    bool exclusively(const std::function<bool()> &work);

private:
    bool openForAppending();

    QString path_;
    Access access_ = Access::Read;
    int fd_ = -1;
};

} // namespace tavimo
