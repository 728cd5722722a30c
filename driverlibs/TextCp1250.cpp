#include "TextCp1250.h"

#include <array>
#include <cstdint>

namespace driverlib {

namespace {

struct Letter {
    char32_t unicode;
    uint8_t code;
};

constexpr std::array<Letter, 30> CzechLetters = {{
    {0x00E1, 0xE1}, {0x010D, 0xE8}, {0x010F, 0xEF}, {0x00E9, 0xE9}, {0x011B, 0xEC},
    {0x00ED, 0xED}, {0x0148, 0xF2}, {0x00F3, 0xF3}, {0x0159, 0xF8}, {0x0161, 0x9A},
    {0x0165, 0x9D}, {0x00FA, 0xFA}, {0x016F, 0xF9}, {0x00FD, 0xFD}, {0x017E, 0x9E},
    {0x00C1, 0xC1}, {0x010C, 0xC8}, {0x010E, 0xCF}, {0x00C9, 0xC9}, {0x011A, 0xCC},
    {0x00CD, 0xCD}, {0x0147, 0xD2}, {0x00D3, 0xD3}, {0x0158, 0xD8}, {0x0160, 0x8A},
    {0x0164, 0x8D}, {0x00DA, 0xDA}, {0x016E, 0xD9}, {0x00DD, 0xDD}, {0x017D, 0x8E},
}};

char EncodeCharacter(char32_t unicode)
{
    if (unicode < 0x80)
        return char(unicode);
    for (const Letter& letter : CzechLetters)
        if (letter.unicode == unicode)
            return char(letter.code);
    return '?';
}

// Decodes one UTF-8 sequence at position i and advances i past it.
char32_t NextCharacter(std::string_view utf8, size_t& i)
{
    const auto byte = [&](size_t at) { return char32_t(uint8_t(utf8[at])); };
    const char32_t lead = byte(i);
    size_t length = 1;
    char32_t value = lead;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
    } else if (lead >= 0x80) {
        ++i;
        return U'?';
    }
    if (i + length > utf8.size()) {
        i = utf8.size();
        return U'?';
    }
    for (size_t k = 1; k < length; ++k)
        value = (value << 6) | (byte(i + k) & 0x3F);
    i += length;
    return value;
}

} // namespace

std::string Utf8ToCp1250(std::string_view utf8)
{
    std::string encoded;
    encoded.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();)
        encoded.push_back(EncodeCharacter(NextCharacter(utf8, i)));
    return encoded;
}

} // namespace driverlib
