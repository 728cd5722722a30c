// The platform's step of ReplaceFileContents (AtomicFile.h): the temporary file, its flush to
// disk and its replacing of the target. AtomicFile.cpp keeps what every platform shares.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Temporary files are named after the target: "<name>.XXXXXX.tmp", the X's a random tag of
// ASCII letters and digits.
inline constexpr int TemporaryTagLength = 6;
inline const QString TemporarySuffix = QStringLiteral(".tmp");

inline QString TemporaryPath(const QString& target, const QString& tag)
{
    return target + u'.' + tag + TemporarySuffix;
}

struct ReplaceFailure {
    enum class Step { CreateTemporary, Write };
    Step step = Step::Write;
    QString path;    // the temporary file's when it could not be created, else the target's
    QString reason;  // the system's message
};

// Writes the bytes to a new temporary file beside the target, flushes it to disk and puts it in
// place of the target, which keeps its permissions. On failure the target is as it was and the
// temporary file is removed.
std::optional<ReplaceFailure> ReplaceThroughTemporary(const QString& target,
                                                     const QByteArray& bytes);
