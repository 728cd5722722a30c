// A driver library placed in a test's own program folder: a copy of the build's, since a link
// that Qt makes on Windows is a shell shortcut (.lnk), which LoadLibrary does not follow.
#pragma once

#include <QFile>
#include <QString>

inline bool PlaceLibrary(const QString& library, const QString& place)
{
    return QFile::copy(library, place);
}
