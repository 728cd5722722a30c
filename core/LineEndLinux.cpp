#include "LineEnd.h"

QByteArray PlatformLineEnd()
{
    return QByteArrayLiteral("\n");
}
