#include "ProgramDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

QString& OverriddenDirectory()
{
    static QString directory;
    return directory;
}

QString ExecutablePath()
{
#ifdef _WIN32
    wchar_t buffer[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, DWORD(std::size(buffer)));
    return QString::fromWCharArray(buffer, int(length));
#else
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
#endif
}

} // namespace

QString ExecutableDirectory(const QString& executablePath)
{
    if (QDir::isAbsolutePath(executablePath))
        return QFileInfo(executablePath).absolutePath();
    if (QCoreApplication::instance()) {
        const QString directory = QCoreApplication::applicationDirPath();
        if (QDir::isAbsolutePath(directory))
            return directory;
    }
    return {};
}

QString ProgramDirectory()
{
    if (!OverriddenDirectory().isEmpty())
        return OverriddenDirectory();
    static const QString executablePath = ExecutablePath();
    return ExecutableDirectory(executablePath);
}

void SetProgramDirectory(const QString& directory)
{
    OverriddenDirectory() = directory;
}

QString ProgramFilePath(const QString& fileName)
{
    const QString directory = ProgramDirectory();
    if (directory.isEmpty())
        return {};
    return QDir(directory).filePath(fileName);
}
