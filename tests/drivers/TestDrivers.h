// Points the binding at one variant of the test driver libraries and resets their script.
#pragma once

#include "ScriptControl.h"

#include "core/ProgramDirectory.h"

#include <QFile>
#include <QString>

#include <string>

inline QString TestDriverDirectory(const char* variant)
{
    return QStringLiteral(SERKON_TEST_DRIVERS_DIR "/") + QString::fromLatin1(variant);
}

inline void UseTestDrivers(const char* variant)
{
    SetProgramDirectory(TestDriverDirectory(variant));
    testdriver::Reset();
}

// How many copies of the library file are mapped into the process.
inline int MappedCopies(const QString& libraryPath)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return -1;
    int copies = 0;
    const QByteArray path = libraryPath.toLocal8Bit();
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 6 && fields[5] == path && fields[2].toULongLong(nullptr, 16) == 0)
            ++copies;
    }
    return copies;
}
