// A program directory of a test's own: the test driver libraries of a variant and room for the
// test's settings file, so that tests running side by side never share a SERKON.ini.
#pragma once

#include "TestDrivers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class ProgramFolder {
public:
    explicit ProgramFolder(const char* variant = "full")
    {
        const QDir drivers(TestDriverDirectory(variant));
        for (const QString& library : drivers.entryList({QStringLiteral("*.so")}, QDir::Files))
            QFile::link(drivers.filePath(library), directory_.filePath(library));
        SetProgramDirectory(directory_.path());
        testdriver::Reset();
    }
    ~ProgramFolder() { SetProgramDirectory({}); }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    QString FilePath(const QString& name) const { return directory_.filePath(name); }
    QString SettingsPath() const { return FilePath(QStringLiteral("SERKON.ini")); }

private:
    QTemporaryDir directory_;
};

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
