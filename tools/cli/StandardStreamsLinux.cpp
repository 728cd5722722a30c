#include "StandardStreams.h"

#include <cstdio>
#include <unistd.h>

bool IsTerminal(Stream stream)
{
    return ::isatty(stream == Stream::Out ? STDOUT_FILENO : STDERR_FILENO);
}

void Write(Stream stream, const QByteArray& utf8)
{
    std::FILE* file = stream == Stream::Out ? stdout : stderr;
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), file);
    std::fflush(file);
}
