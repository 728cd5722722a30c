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

namespace {

uint8_t CharacterCode(int32_t element)
{
    return uint8_t(element & 0xFF);
}

} // namespace

// An element whose low byte is 0 (256, -256, ...) would put a NUL into the text; it ends the
// text as 0 does, and element 0 of that kind carries no character.
QString BufferToText(const DriverBuffer& buffer)
{
    QString text;
    if (CharacterCode(buffer[0]) != 0)
        text.append(Cp1250ToChar(CharacterCode(buffer[0])));
    for (size_t i = 1; i < buffer.size() && CharacterCode(buffer[i]) != 0; ++i)
        text.append(Cp1250ToChar(CharacterCode(buffer[i])));
    return text;
}
