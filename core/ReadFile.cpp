#include "ReadFile.h"

#include "ReadFilePlatform.h"

FileRead ReadWholeFile(const QString& path, QByteArray& bytes, QString* failure)
{
    bytes.clear();
    const PlatformRead read = ReadFileBytes(path, bytes);
    if (read.result != FileRead::Read)
        bytes.clear();
    if (read.result == FileRead::Failed && failure)
        *failure = QStringLiteral("Nelze přečíst soubor %1: %2").arg(path, read.reason);
    return read.result;
}
