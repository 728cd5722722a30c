#include "ReadFilePlatform.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

PlatformRead Failed(int error)
{
    return {FileRead::Failed, QString::fromLocal8Bit(std::strerror(error))};
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

PlatformRead ReadFileBytes(const QString& path, QByteArray& bytes)
{
    // Not blocking, so that a FIFO by that name cannot hang the program; it is refused below.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return {FileRead::Missing, {}};
        return Failed(errno);
    }
    struct stat info {};
    PlatformRead result;
    if (::fstat(fd, &info) != 0)
        result = Failed(errno);
    else if (S_ISDIR(info.st_mode))
        result = Failed(EISDIR);
    else if (!S_ISREG(info.st_mode))
        result = {FileRead::Failed, NotARegularFile};
    else if (!ReadAll(fd, bytes))
        result = Failed(errno);
    ::close(fd);
    return result;
}
