// libFuzzer target: the settings file parser and its in-place writer on arbitrary bytes.
#include "core/IniFile.h"
#include "core/Records.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(bytes), qsizetype(size));
    IniFile ini = IniFile::FromBytes(input);
    if (ini.ToBytes() != input)
        __builtin_trap(); // reading alone must keep every byte

    const QString connection = QStringLiteral("Připojení");
    const QString value = ini.ReadString(connection, QStringLiteral("Rozhraní"), QStringLiteral("jkl"));
    if (value.size() > IniValueMaxLength)
        __builtin_trap();
    ini.ReadInteger(connection, QStringLiteral("Adresa"), 0);

    ini.WriteString(connection, QStringLiteral("Rozhraní"), QStringLiteral("RVD-773"));
    ini.WriteInteger(QStringLiteral("RVD-773"), QStringLiteral("UDP port"), 5000);
    if (ini.ReadInteger(QStringLiteral("RVD-773"), QStringLiteral("UDP port"), -1) != 5000)
        __builtin_trap(); // a written value reads back
    return 0;
}
