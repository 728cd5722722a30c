#include "ProgramDirectory.h"

#include "ExecutablePath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString& OverriddenDirectory()
{
    static QString directory;
    return directory;
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
