// Replacing a file's contents so that readers see either the old file or the whole new one.
#pragma once

#include <QByteArray>
#include <QString>

// Writes the bytes to a temporary file beside the target, flushes it to disk and renames it over
// the target. On any failure the target is left as it was, the temporary file is removed, and
// the result is false with the reason in `failure`.
bool ReplaceFileContents(const QString& path, const QByteArray& bytes, QString* failure);
