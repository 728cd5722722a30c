// Replacing a file's contents so that readers see either the old file or the whole new one.
#pragma once

#include <QByteArray>
#include <QString>

// Writes the bytes to a temporary file beside the target ("<name>.XXXXXX.tmp"), flushes it to
// disk and renames it over the target; the target keeps its permissions (on Windows with
// ReplaceFileW, which refuses a file marked read-only). On any failure the target is left as it
// was, the temporary file is removed, and the result is false with the reason in `failure`. A
// save that was cut short can leave no more than its temporary file, which the next successful
// save of the same target removes.
bool ReplaceFileContents(const QString& path, const QByteArray& bytes, QString* failure);
