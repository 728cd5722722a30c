#include "StatusTexts.h"

#include "drivers/DriverBinding.h"

namespace {

const QString ReadProgressPrefix = QStringLiteral(" Probíhá čtení konfigurace z modulu (");
const QString WriteProgressPrefix = QStringLiteral(" Probíhá zápis konfigurace do modulu (");
const QString ProgressSuffix = QStringLiteral(" %)");

} // namespace

QString ReadProgressText(int percent)
{
    return ReadProgressPrefix + QString::number(percent) + ProgressSuffix;
}

QString WriteProgressText(int percent)
{
    return WriteProgressPrefix + QString::number(percent) + ProgressSuffix;
}

std::optional<int> ProgressPercent(const QString& statusText)
{
    if (!statusText.endsWith(ProgressSuffix))
        return std::nullopt;
    QStringView number(statusText);
    number.chop(ProgressSuffix.size());
    if (statusText.startsWith(ReadProgressPrefix))
        number = number.mid(ReadProgressPrefix.size());
    else if (statusText.startsWith(WriteProgressPrefix))
        number = number.mid(WriteProgressPrefix.size());
    else
        return std::nullopt;
    bool ok = false;
    const int percent = number.toInt(&ok);
    if (!ok || percent < 0 || percent > 100)
        return std::nullopt;
    return percent;
}

QString TransactionErrorText(uint8_t interfaceType, uint8_t status)
{
    return QLatin1Char(' ') + DriverErrorString(interfaceType, status);
}
