#include "Startup.h"
#include "HQ.h"

#include <DataFiles.h>
#include <HQForm.h>
#include <LineFile.h>

#include <QApplication>
#include <QMessageBox>

#include <exception>
#include <memory>

namespace qtui {

namespace {

void showStartupFailure(const std::exception& error)
{
    QMessageBox::critical(nullptr, QString::fromUtf8(entry::kWindowCaption.data(), entry::kWindowCaption.size()),
                          QString::fromStdString(entry::startupFailureMessage(error)));
}

} // namespace

int runTolmarin(QApplication& app)
{
    std::string directory;
    try {
        directory = logbook::executableDirectory();
    } catch (const std::exception& error) {
        showStartupFailure(error);
        return 1;
    }
    return runTolmarin(app, directory);
}

int runTolmarin(QApplication& app, const std::string& dataDirectory, logbook::FileSystem& files)
{
    std::unique_ptr<HQ> window;
    try {
        window = std::make_unique<HQ>(dataDirectory, files);
        window->load();
    } catch (const logbook::ReadAbandoned&) {
        return 0; // the user closed the window that showed the load
    } catch (const std::exception& error) {
        showStartupFailure(error);
        return 1;
    }
    window->show();
    return app.exec();
}

} // namespace qtui
