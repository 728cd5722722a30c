// The platform's step of ReadWholeFile (ReadFile.h): opening the file and reading its bytes.
// ReadFile.cpp keeps the texts that every platform shares.
#pragma once

#include "ReadFile.h"

#include <QByteArray>
#include <QString>

inline const QString NotARegularFile = QStringLiteral("není to obyčejný soubor");

struct PlatformRead {
    FileRead result = FileRead::Read;
    QString reason;  // of a failure: the system's message, or NotARegularFile
};

// Refuses anything but a regular file (a folder, a device, a pipe) without waiting on it.
PlatformRead ReadFileBytes(const QString& path, QByteArray& bytes);
