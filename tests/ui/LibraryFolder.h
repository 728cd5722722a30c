// A program directory of a test's own: links to the driver libraries of one directory and room
// for the test's settings file, so that tests running side by side never share a SERKON.ini.
#pragma once

#include "core/ProgramDirectory.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

class LibraryFolder {
public:
    explicit LibraryFolder(const QString& libraryDirectory)
    {
        const QDir libraries(libraryDirectory);
        for (const QString& library : libraries.entryList({QStringLiteral("libRV*.so")}, QDir::Files))
            QFile::link(libraries.filePath(library), directory_.filePath(library));
        SetProgramDirectory(directory_.path());
    }
    ~LibraryFolder() { SetProgramDirectory({}); }
    LibraryFolder(const LibraryFolder&) = delete;
    LibraryFolder& operator=(const LibraryFolder&) = delete;

    QString FilePath(const QString& name) const { return directory_.filePath(name); }
    QString SettingsPath() const { return FilePath(QStringLiteral("SERKON.ini")); }

private:
    QTemporaryDir directory_;
};

// The window's child of that type and object name.
template <typename Widget>
Widget* Child(const QObject* parent, const QString& name)
{
    return parent->findChild<Widget*>(name);
}

template <typename Widget>
Widget* Child(const QObject* parent, const char* name)
{
    return Child<Widget>(parent, QString::fromLatin1(name));
}
