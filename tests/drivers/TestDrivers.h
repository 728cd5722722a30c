// Points the binding at one variant of the test driver libraries and resets their script.
#pragma once

#include "ScriptControl.h"

#include "core/ProgramDirectory.h"

#include <QString>

inline QString TestDriverDirectory(const char* variant)
{
    return QStringLiteral(SERKON_TEST_DRIVERS_DIR "/") + QString::fromLatin1(variant);
}

inline void UseTestDrivers(const char* variant)
{
    SetProgramDirectory(TestDriverDirectory(variant));
    testdriver::Reset();
}
