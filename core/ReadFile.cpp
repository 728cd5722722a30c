#include "ReadFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileRead Fail(const QString& path, const QString& why, QString* failure)
{
    if (failure)
        *failure = QStringLiteral("Nelze přečíst soubor %1: %2").arg(path, why);
    return FileRead::Failed;
}

QString ErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool ReadAll(int fd, QByteArray& bytes)
{
    char chunk[65536];
    for (;;) {
        const ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        bytes.append(chunk, qsizetype(count));
    }
}

} // namespace

FileRead ReadWholeFile(const QString& path, QByteArray& bytes, QString* failure)
{
    bytes.clear();
    // Not blocking, so that a FIFO by that name cannot hang the program; it is refused below.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return FileRead::Missing;
        return Fail(path, ErrorText(errno), failure);
    }
    struct stat info {};
    FileRead result = FileRead::Read;
    if (::fstat(fd, &info) != 0) {
        result = Fail(path, ErrorText(errno), failure);
    } else if (S_ISDIR(info.st_mode)) {
        result = Fail(path, ErrorText(EISDIR), failure);
    } else if (!S_ISREG(info.st_mode)) {
        result = Fail(path, QStringLiteral("není to obyčejný soubor"), failure);
    } else if (!ReadAll(fd, bytes)) {
        result = Fail(path, ErrorText(errno), failure);
        bytes.clear();
    }
    ::close(fd);
    return result;
}
