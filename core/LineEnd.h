// The line end of text files this platform's programs write: what a new settings file gets
// (an existing file keeps its own).
#pragma once

#include <QByteArray>

QByteArray PlatformLineEnd();
