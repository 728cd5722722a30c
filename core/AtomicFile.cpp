#include "AtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Qt's QSaveFile is not used: the Qt 6.4 of Debian 12 commits a truncated file when a write
// fails for lack of space.

namespace {

QString Reason(const QString& what, const QString& path, int error)
{
    return QStringLiteral("%1 %2: %3").arg(what, path, QString::fromLocal8Bit(std::strerror(error)));
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

// The file that a write to the path really changes: the target of a symbolic link.
QString ResolvedTarget(const QString& path)
{
    const QFileInfo info(path);
    return info.isSymLink() ? info.symLinkTarget() : path;
}

// Temporary files are named after the target: "<name>.XXXXXX.tmp", the X's chosen by mkstemps.
const QString TemporarySuffix = QStringLiteral(".tmp");
constexpr int TemporaryTagLength = 6;

bool IsTemporaryOf(const QString& fileName, const QString& targetName)
{
    const qsizetype length = targetName.size() + 1 + TemporaryTagLength + TemporarySuffix.size();
    if (fileName.size() != length || !fileName.startsWith(targetName + u'.')
        || !fileName.endsWith(TemporarySuffix))
        return false;
    const QStringView tag = QStringView(fileName).mid(targetName.size() + 1, TemporaryTagLength);
    for (QChar c : tag) {
        if (c.unicode() > 0x7F || !c.isLetterOrNumber())
            return false;
    }
    return true;
}

// A save cut short (the program killed, the power lost) leaves its temporary file behind; the
// next successful save of the same file removes it. Only an old one: a fresh one may belong to
// another copy of the program saving at this moment.
constexpr qint64 LeftoverAgeSeconds = 10 * 60;

void RemoveLeftoverTemporaries(const QString& target)
{
    const QFileInfo info(target);
    const QDir directory = info.absoluteDir();
    const QString targetName = info.fileName();
    const QStringList names = directory.entryList(QDir::Files | QDir::Hidden | QDir::System
                                                  | QDir::NoSymLinks);
    for (const QString& name : names) {
        const QString path = directory.filePath(name);
        const QDateTime modified = QFileInfo(path).lastModified();
        if (IsTemporaryOf(name, targetName) && modified.secsTo(QDateTime::currentDateTime()) > LeftoverAgeSeconds)
            QFile::remove(path);
    }
}

} // namespace

bool ReplaceFileContents(const QString& path, const QByteArray& bytes, QString* failure)
{
    const QString target = ResolvedTarget(path);
    const QByteArray targetName = target.toLocal8Bit();
    QByteArray temporaryName = targetName + ".XXXXXX" + TemporarySuffix.toLatin1();

    mode_t mode = 0644;
    struct stat existing {};
    if (::stat(targetName.constData(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) {
            if (failure)
                *failure = Reason(QStringLiteral("Nelze zapsat soubor"), target, EISDIR);
            return false;
        }
        mode = existing.st_mode & 07777;
    }

    const int fd = ::mkstemps(temporaryName.data(), int(TemporarySuffix.size()));
    if (fd < 0) {
        if (failure)
            *failure = Reason(QStringLiteral("Nelze vytvořit soubor"), QString::fromLocal8Bit(temporaryName), errno);
        return false;
    }

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
        if (failure)
            *failure = Reason(QStringLiteral("Nelze zapsat soubor"), target, error);
        return false;
    }
    RemoveLeftoverTemporaries(target);
    return true;
}
