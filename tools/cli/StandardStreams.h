// Standard output and standard error of serkon-cli: whether each shows control sequences, and
// writing UTF-8 text to them. A pipe or a file gets the bytes as they are, on every platform.
#pragma once

#include <QByteArray>

enum class Stream { Out, Err };

// A terminal (on Windows a console) that takes the control sequences of the progress bar and of
// the status redrawn in place; false for a pipe or a file.
bool IsTerminal(Stream stream);

// Writes the UTF-8 text and flushes it, so that the Czech letters show on a terminal.
void Write(Stream stream, const QByteArray& utf8);
