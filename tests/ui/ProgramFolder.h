// A program folder with a variant of the scripted test driver libraries, their script reset.
#pragma once

#include "LibraryFolder.h"
#include "TestDrivers.h"

class ProgramFolder : public LibraryFolder {
public:
    explicit ProgramFolder(const char* variant = "full")
        : LibraryFolder(TestDriverDirectory(variant))
    {
        testdriver::Reset();
    }
};
