#include "ProgramDirectory.h"

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

QString ProgramDirectory()
{
    if (!OverriddenDirectory().isEmpty())
        return OverriddenDirectory();
    static const QString executableDirectory = QFileInfo(ExecutablePath()).absolutePath();
    return executableDirectory;
}

void SetProgramDirectory(const QString& directory)
{
    OverriddenDirectory() = directory;
}

QString ProgramFilePath(const QString& fileName)
{
    return QDir(ProgramDirectory()).filePath(fileName);
}
