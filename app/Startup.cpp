#include "Startup.h"
#include "HQ.h"

#include <DataFiles.h>
#include <FileError.h>

#include <QApplication>
#include <QMessageBox>

#include <exception>

namespace {

void showStartupFailure(const QString& message)
{
    QMessageBox::critical(nullptr, QStringLiteral("Tolmarin"), message);
}

} // namespace

int runTolmarin(QApplication& app)
{
    std::string directory;
    try {
        directory = logbook::executableDirectory();
    } catch (const std::exception& error) {
        showStartupFailure(QString::fromStdString(error.what()));
        return 1;
    }
    return runTolmarin(app, directory, showStartupFailure);
}

int runTolmarin(QApplication& app, const std::string& dataDirectory, const StartupFailureReporter& reportFailure,
                bool runEventLoop)
{
    HQ window(dataDirectory);
    try {
        window.load();
    } catch (const logbook::FileError& error) {
        reportFailure(QString::fromStdString(error.what()));
        return 1;
    }
    window.show();
    return runEventLoop ? app.exec() : 0;
}
