// A program folder with a variant of the scripted test driver libraries, their script reset.
#pragma once

#include "TestDrivers.h"

#include "tests/support/ProgramFolder.h"

class ScriptedDriverFolder : public ProgramFolder {
public:
    explicit ScriptedDriverFolder(const char* variant = "full")
        : ProgramFolder(TestDriverDirectory(variant))
    {
        testdriver::Reset();
    }
};
