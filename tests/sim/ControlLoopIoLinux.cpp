#include "ControlLoopIo.h"

#include <unistd.h>

InputPipe::InputPipe(const std::string& text)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return;
    readEnd_ = ends[0];
    [[maybe_unused]] const ssize_t written = ::write(ends[1], text.data(), text.size());
    ::close(ends[1]);
}

InputPipe::~InputPipe()
{
    if (readEnd_ >= 0)
        ::close(readEnd_);
}

std::FILE* ScratchFile()
{
    return std::tmpfile();
}
