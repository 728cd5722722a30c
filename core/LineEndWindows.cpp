#include "LineEnd.h"

QByteArray PlatformLineEnd()
{
    return QByteArrayLiteral("\r\n");
}
