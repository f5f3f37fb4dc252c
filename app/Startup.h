#pragma once

#include <QString>

#include <functional>
#include <string>

class QApplication;

using StartupFailureReporter = std::function<void(const QString& message)>;

// Shows the window over the data files beside the executable and runs the
// event loop. When a data file cannot be created, opened or read, reports
// it (a modal message box by default) and returns 1 before any window shows.
int runTolmarin(QApplication& app);
int runTolmarin(QApplication& app, const std::string& dataDirectory, const StartupFailureReporter& reportFailure,
                bool runEventLoop = true);
