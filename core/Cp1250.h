// Conversion between the program's text and the single-byte Windows-1250 code page used by
// the settings file, the drivers and the modules.
//
// All 256 codes decode. The five codes that Windows-1250 leaves unassigned (0x81, 0x83, 0x88,
// 0x90, 0x98) decode to the C1 control characters of the same number, U+0081 and so on, and
// encode back to themselves, so every byte string survives a round trip unchanged.
// A character that the code page cannot represent encodes as '?'.
#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

#include <cstdint>

QChar Cp1250ToChar(uint8_t code);
// False when the character has no code in Windows-1250; the code is then '?'.
bool CharToCp1250(QChar ch, uint8_t& code);

QString DecodeCp1250(const QByteArray& bytes);
QByteArray EncodeCp1250(const QString& text);
