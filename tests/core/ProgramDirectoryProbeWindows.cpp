// Writes the program's folder as the program finds it, in UTF-8, to standard output: a copy of
// this program in a folder of a test's choosing tells the test what ProgramDirectory() says there.
#include "core/ProgramDirectory.h"

#include <cstdio>

int main()
{
    const QByteArray directory = ProgramDirectory().toUtf8();
    std::fwrite(directory.constData(), 1, size_t(directory.size()), stdout);
    return directory.isEmpty() ? 1 : 0;
}
