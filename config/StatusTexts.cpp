#include "StatusTexts.h"

#include "drivers/DriverBinding.h"

QString ReadProgressText(int percent)
{
    return QStringLiteral(" Probíhá čtení konfigurace z modulu (%1 %)").arg(percent);
}

QString WriteProgressText(int percent)
{
    return QStringLiteral(" Probíhá zápis konfigurace do modulu (%1 %)").arg(percent);
}

QString TransactionErrorText(uint8_t interfaceType, uint8_t status)
{
    return QLatin1Char(' ') + DriverErrorString(interfaceType, status);
}
