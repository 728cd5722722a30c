// A program folder of a test's own: the driver libraries of one directory placed in it, and room
// for the test's SERKON.ini and ports/ links, so that tests running side by side share nothing.
// While it exists the program looks for its settings file and the binding for its libraries here.
#pragma once

#include "PlaceLibrary.h"
#include "core/ProgramDirectory.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <string>

class ProgramFolder {
public:
    explicit ProgramFolder(const QString& libraryDirectory)
    {
        const QDir libraries(libraryDirectory);
        const QString pattern = QStringLiteral(SERKON_DRIVER_FILE_PREFIX "RV*" SERKON_DRIVER_FILE_SUFFIX);
        for (const QString& library : libraries.entryList({pattern}, QDir::Files))
            PlaceLibrary(libraries.filePath(library), directory_.filePath(library));
        SetProgramDirectory(directory_.path());
    }
#ifdef SERKON_DRIVER_DIR
    // With the driver libraries of the build.
    ProgramFolder() : ProgramFolder(QStringLiteral(SERKON_DRIVER_DIR)) {}
#endif
    ~ProgramFolder() { SetProgramDirectory({}); }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    QString FilePath(const QString& name) const { return directory_.filePath(name); }
    QString SettingsPath() const { return FilePath(QStringLiteral("SERKON.ini")); }
    QString Directory() const { return directory_.path(); }
    std::string Path() const { return directory_.path().toStdString(); }
    std::string Port(const std::string& name) const { return Path() + "/ports/" + name; }
    std::string Library(const char* file) const { return Path() + '/' + file; }

private:
    QTemporaryDir directory_;
};
