#include "UserFiles.h"

#include "ProgramDirectory.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
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
    QString configHome = ConfigHome();
    while (configHome.size() > 1 && configHome.endsWith(u'/'))
        configHome.chop(1);
    return configHome.isEmpty() ? QString() : configHome + QStringLiteral("/serkon");
}

bool MakeUserFilesDirectory(const QString& directory, QString* failure)
{
    const QString clean = QDir::cleanPath(directory);
    for (qsizetype end = clean.indexOf(u'/', 1);; end = clean.indexOf(u'/', end + 1)) {
        const QString path = end < 0 ? clean : clean.left(end);
        if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST) {
            if (failure)
                *failure = QStringLiteral("Nelze vytvořit složku %1: %2")
                               .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        if (end < 0)
            return true;
    }
}
