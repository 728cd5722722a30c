// The names of the links in ports/, which the command line reads on every platform.
#include "PortLinks.h"

std::optional<QString> PortLinkName(const QString& text)
{
    const QString name = text.toLower();
    if (name == QStringLiteral("usb") || name == QStringLiteral("pci"))
        return name;
    if (!name.startsWith(QStringLiteral("com")))
        return std::nullopt;
    const QString digits = name.mid(3);
    bool ok = false;
    const int number = digits.toInt(&ok);
    // Digits alone, without a sign or leading zero: the library asks for "com" + the number.
    if (!ok || number < 1 || number > 255 || digits != QString::number(number))
        return std::nullopt;
    return name;
}
