#pragma once

#include <FileSystem.h>

#include <string>

class QApplication;

namespace qtui {

// Shows the window over the data files in `dataDirectory` (by default the
// folder that holds the executable) and runs the event loop. When it cannot
// start, for whatever reason, it says why in a message box and returns 1
// before any window shows. `files` are the platform's own, or in tests ones
// that fail on purpose.
int runTolmarin(QApplication& app);
int runTolmarin(QApplication& app, const std::string& dataDirectory,
                logbook::FileSystem& files = logbook::platformFileSystem());

} // namespace qtui
