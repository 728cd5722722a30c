#include "ExecutablePath.h"

#include <QFileInfo>

QString ExecutablePath()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}
