// How many copies of a library file are loaded into this process: the mappings of the file's
// start in /proc/self/maps, which names the file by its resolved path.
#pragma once

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>

inline int MappedCopies(const QString& libraryPath)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray path = QFileInfo(libraryPath).canonicalFilePath().toLocal8Bit();
    int copies = 0;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 6 && fields[5] == path && fields[2].toULongLong(nullptr, 16) == 0)
            ++copies;
    }
    return copies;
}
