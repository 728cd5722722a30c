#include "AtomicFilePlatform.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

ReplaceFailure Failed(ReplaceFailure::Step step, const QString& path, int error)
{
    return {step, path, QString::fromLocal8Bit(std::strerror(error))};
}

bool WriteAll(int fd, const QByteArray& bytes)
{
    const char* next = bytes.constData();
    auto left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(fd, next, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        next += written;
        left -= size_t(written);
    }
    return true;
}

} // namespace

std::optional<ReplaceFailure> ReplaceThroughTemporary(const QString& target,
                                                     const QByteArray& bytes)
{
    const QByteArray targetName = target.toLocal8Bit();
    QByteArray temporaryName = TemporaryPath(target, QStringLiteral("XXXXXX")).toLocal8Bit();

    mode_t mode = 0644;
    struct stat existing {};
    if (::stat(targetName.constData(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode))
            return Failed(ReplaceFailure::Step::Write, target, EISDIR);
        mode = existing.st_mode & 07777;
    }

    const int fd = ::mkstemps(temporaryName.data(), int(TemporarySuffix.size()));
    if (fd < 0)
        return Failed(ReplaceFailure::Step::CreateTemporary, QString::fromLocal8Bit(temporaryName),
                      errno);

    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporaryName.constData(), targetName.constData()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporaryName.constData());
        return Failed(ReplaceFailure::Step::Write, target, error);
    }
    return std::nullopt;
}
