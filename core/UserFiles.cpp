#include "UserFiles.h"

#include "ProgramDirectory.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsSystemDirectory(const QString& directory)
{
    return directory == QStringLiteral("/usr") || directory.startsWith(QStringLiteral("/usr/"));
}

// Writable for the user who runs the program (the real user, as access() checks).
bool UserMayWrite(const QString& directory)
{
    return ::access(QFile::encodeName(directory).constData(), W_OK) == 0;
}

// A folder named by the environment or the user database, judged by its bytes as the driver
// libraries judge it: absolute when it begins with '/' (not as Qt would have it, for which
// ":cfg" is a resource path), and usable only when the program can name it, its bytes being
// UTF-8. Otherwise empty: ignored, as the XDG rules ignore a relative path.
QString UsablePath(const char* bytes)
{
    if (!bytes || bytes[0] != '/')
        return {};
    const QByteArray name(bytes);
    const QString path = QFile::decodeName(name);
    return QFile::encodeName(path) == name ? path : QString();
}

QString ConfigHome()
{
    const QString configHome = UsablePath(std::getenv("XDG_CONFIG_HOME"));
    if (!configHome.isEmpty())
        return configHome;
    QString home = UsablePath(std::getenv("HOME"));
    if (home.isEmpty()) {
        if (const passwd* user = ::getpwuid(::getuid()))
            home = UsablePath(user->pw_dir);
    }
    return home.isEmpty() ? QString() : home + QStringLiteral("/.config");
}

// The program's own folder in the user's configuration folder; empty when there is none.
QString ConfigurationFolder()
{
    QString configHome = ConfigHome();
    while (configHome.size() > 1 && configHome.endsWith(u'/'))
        configHome.chop(1);
    return configHome.isEmpty() ? QString() : configHome + QStringLiteral("/serkon");
}

bool IsWithin(const QString& path, const QString& folder)
{
    return !folder.isEmpty() && (path == folder || path.startsWith(folder + u'/'));
}

// Why a folder of the configuration folder may not hold the user's files, nothing when it may:
// a folder of the user's own that nobody else may write into. Seen by lstat, so that a
// symbolic link counts as what it is, never as the folder it leads to.
std::optional<QString> Untrusted(const QString& folder)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("je to symbolický odkaz");
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("není to složka");
    if (info.st_uid != ::geteuid())
        return QStringLiteral("patří jinému uživateli");
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return QStringLiteral("mohou do ní zapisovat i jiní uživatelé");
    return std::nullopt;
}

} // namespace

QString UserFilesDirectory()
{
    return UserFilesDirectoryFor(ProgramDirectory());
}

QString UserFilesDirectoryFor(const QString& programDirectory)
{
    if (programDirectory.isEmpty())
        return {};
    if (!IsSystemDirectory(programDirectory) && UserMayWrite(programDirectory))
        return programDirectory;
    return ConfigurationFolder();
}

bool MakeUserFilesDirectory(const QString& directory, QString* failure)
{
    const QString clean = QDir::cleanPath(directory);
    const QString configuration = ConfigurationFolder();
    const QString guarded = configuration.isEmpty() ? QString() : QDir::cleanPath(configuration);
    for (qsizetype end = clean.indexOf(u'/', 1);; end = clean.indexOf(u'/', end + 1)) {
        const QString path = end < 0 ? clean : clean.left(end);
        // mkdir never follows a symbolic link in the last place: one there is left, and judged.
        if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST) {
            if (failure)
                *failure = QStringLiteral("Nelze vytvořit složku %1: %2")
                               .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        if (IsWithin(path, guarded)) {
            if (const std::optional<QString> reason = Untrusted(path)) {
                if (failure)
                    *failure = QStringLiteral("Složku %1 nelze použít: %2.").arg(path, *reason);
                return false;
            }
        }
        if (end < 0)
            return true;
    }
}
