#include "AtomicFile.h"

#include "AtomicFilePlatform.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

// Qt's QSaveFile is not used: the Qt 6.4 of Debian 12 commits a truncated file when a write
// fails for lack of space.

namespace {

QString FailureText(const ReplaceFailure& failure)
{
    const QString what = failure.step == ReplaceFailure::Step::CreateTemporary
        ? QStringLiteral("Nelze vytvořit soubor")
        : QStringLiteral("Nelze zapsat soubor");
    return QStringLiteral("%1 %2: %3").arg(what, failure.path, failure.reason);
}

// The file that a write to the path really changes: the target of a symbolic link.
QString ResolvedTarget(const QString& path)
{
    const QFileInfo info(path);
    return info.isSymLink() ? info.symLinkTarget() : path;
}

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
    if (const std::optional<ReplaceFailure> failed = ReplaceThroughTemporary(target, bytes)) {
        if (failure)
            *failure = FailureText(*failed);
        return false;
    }
    RemoveLeftoverTemporaries(target);
    return true;
}
