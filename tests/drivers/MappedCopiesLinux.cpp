#include "TestDrivers.h"

#include <QFile>

int MappedCopies(const QString& libraryPath)
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
