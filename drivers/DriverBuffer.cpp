#include "DriverBuffer.h"

#include "core/Cp1250.h"

int32_t TextToBuffer(const QString& text, DriverBuffer& buffer)
{
    buffer.fill(0);
    const QByteArray codes = EncodeCp1250(text.left(DriverTextMaxLength));
    for (qsizetype i = 0; i < codes.size() && i < DriverTextMaxLength; ++i)
        buffer[size_t(i + 1)] = uint8_t(codes[i]);
    return 0;
}

QString BufferToText(const DriverBuffer& buffer)
{
    QString text;
    if (buffer[0] != 0)
        text.append(Cp1250ToChar(uint8_t(buffer[0] & 0xFF)));
    for (size_t i = 1; i < buffer.size() && buffer[i] != 0; ++i)
        text.append(Cp1250ToChar(uint8_t(buffer[i] & 0xFF)));
    return text;
}
