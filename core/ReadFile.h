// Reading a whole file, telling a file that is not there from one that is there but cannot be
// read: only the first may be treated as empty and written anew.
#pragma once

#include <QByteArray>
#include <QString>

enum class FileRead {
    Read,     // the bytes are the file's
    Missing,  // nothing by that name; the bytes are empty
    Failed,   // there, but not a regular file, not readable, or a read failed; `failure` says why
};

FileRead ReadWholeFile(const QString& path, QByteArray& bytes, QString* failure);
