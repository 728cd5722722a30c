// A driver library placed in a test's own program folder: a symbolic link to the build's.
#pragma once

#include <QFile>
#include <QString>

inline bool PlaceLibrary(const QString& library, const QString& place)
{
    return QFile::link(library, place);
}
