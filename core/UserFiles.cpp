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

// An absolute path from the environment; a relative one is ignored, as the XDG rules say.
QString AbsoluteVariable(const char* name)
{
    const QString value = QFile::decodeName(std::getenv(name));
    return QDir::isAbsolutePath(value) ? value : QString();
}

QString ConfigHome()
{
    const QString configHome = AbsoluteVariable("XDG_CONFIG_HOME");
    if (!configHome.isEmpty())
        return configHome;
    QString home = AbsoluteVariable("HOME");
    if (home.isEmpty()) {
        if (const passwd* user = ::getpwuid(::getuid()))
            home = QFile::decodeName(user->pw_dir);
    }
    return QDir::isAbsolutePath(home) ? home + QStringLiteral("/.config") : QString();
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
