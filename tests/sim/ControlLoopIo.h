// What a test hands the control loop in-process: an input that holds a text and then ends, and
// a scratch file to read the answers back from.
#pragma once

#include "NativeHandle.h"

#include <cstdio>
#include <string>

// A pipe with the text in it and its writing end closed; the text fits into the pipe's buffer.
class InputPipe {
public:
    explicit InputPipe(const std::string& text);
    ~InputPipe();
    InputPipe(const InputPipe&) = delete;
    InputPipe& operator=(const InputPipe&) = delete;

    sim::NativeHandle ReadEnd() const { return readEnd_; }

private:
    sim::NativeHandle readEnd_ = sim::NoHandle;
};

// An empty file open for writing and reading, removed when closed.
std::FILE* ScratchFile();
