// The platform's part of ProgramDirectory (ProgramDirectory.h).
#pragma once

#include <QString>

// The absolute path of the running program's executable, as the system tells it ('/'
// separators); empty when it cannot be found out.
QString ExecutablePath();
