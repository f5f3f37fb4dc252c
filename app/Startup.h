#pragma once

#include <string>

class QApplication;

namespace qtui {

// Shows the window over the data files in `dataDirectory` (by default the
// folder that holds the executable) and runs the event loop. When it cannot
// start, it says why in a message box and returns 1 before any window shows.
int runTolmarin(QApplication& app);
int runTolmarin(QApplication& app, const std::string& dataDirectory);

} // namespace qtui
