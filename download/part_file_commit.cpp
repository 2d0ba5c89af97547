// Writing a finished file durably under its final name.
#include "download/part_file_writer.h"

#include "download/part_source.h"

#include <QFileInfo>

#include <cerrno>

#include <unistd.h>

namespace tavimo {

bool PartFileWriter::commitTo(const QString &path)
{
    // On disk before it takes the final name: after a power cut a final name
    // must never stand for bytes that never reached the disk, as a present
    // file is skipped for good.
    const bool written = (file_.flush() && fdatasync(file_.handle()) == 0 && file_.error() == QFileDevice::NoError) ||
                         noteWriteError();
    ForgetPartSource(file_.fileName());
    // Renamed or removed while still locked, so no other writer gets at it
    // in between.
    const bool moved = written && !QFileInfo::exists(path) && QFile::rename(file_.fileName(), path);
    if (written && !moved && writeError_.isEmpty())
        writeError_ = QStringLiteral("无法给文件改名: %1").arg(qt_error_string(errno));
    if (!moved)
        QFile::remove(file_.fileName());
    file_.close();
    return moved;
}

// Keeps why the file system refused; always false.
bool PartFileWriter::noteWriteError()
{
    const int code = errno;
    writeError_ = code == ENOSPC || code == EDQUOT ? QStringLiteral("磁盘空间不足")
                                                   : QStringLiteral("无法写入文件: %1").arg(qt_error_string(code));
    return false;
}

} // namespace tavimo
