#include "Saves.h"
#include "Measure.h"
#include "Window.h"

#include <DataFiles.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>

#include <filesystem>
#include <memory>

namespace {

std::size_t fileSize(const std::string& path) { return std::filesystem::file_size(path); }

// One window taking Saves, with what it takes to check them afterwards.
class SaveSession {
public:
    explicit SaveSession(const DataSet& set)
        : set_(set)
        , window_(openWindow(set))
        , logPath_(logbook::dataFilePath(set.directory, logbook::kEntryLogName))
        , logBefore_(fileSize(logPath_))
    {
        window_->setErrorReporter([this](const QString& message) { errors_ << message; });
    }

    // Four kinds in turn: both known (one in a different letter case), a new
    // branch, a new reason, both new.
    void save(int i)
    {
        const int kind = i % 4;
        const bool newBranch = kind == 1 || kind == 3;
        const bool newReason = kind == 2 || kind == 3;
        // New texts stay within the 16 characters that Save stores.
        const std::string branch = newBranch ? "NB " + std::to_string(i)
                                             : (i % 8 == 0 ? "HEAD OFFICE" : "Head Office");
        const std::string reason = newReason ? "NR " + std::to_string(i) : "Audit";
        part<QLabel>(*window_, "Label1")->setText(QStringLiteral("07 Mar 2016"));
        part<QComboBox>(*window_, "Text1")->setEditText(QString::fromStdString(branch));
        part<QComboBox>(*window_, "Text2")->setEditText(QString::fromStdString(reason));
        QPushButton* save = part<QPushButton>(*window_, "Command1");
        QCoreApplication::processEvents(); // repaints for the typing are not the Save's

        const auto start = Clock::now();
        save->click();
        QCoreApplication::processEvents(); // the list's own updates belong to the Save
        times_.push_back(msSince(start));

        check(errors_.isEmpty(), "Save reported: " + (errors_.isEmpty() ? "" : errors_.first().toStdString()));
        check(part<QLabel>(*window_, "Label1")->text() == "DATE", "inputs reset after Save");
        newBranches_ += newBranch;
        newReasons_ += newReason;
        lastLine_ = logbook::composeEntryLine("07 Mar 2016", branch, reason);
    }

    SaveResult finish()
    {
        // "Head Office" and "Audit" are new once when the vocabulary starts empty.
        const int learnedKnown = set_.size.branches == 0 ? 1 : 0;
        const int learnedAudit = set_.size.reasons == 0 ? 1 : 0;
        const int saves = static_cast<int>(times_.size());
        const QAbstractItemModel* entries = part<QListView>(*window_, "MLyS")->model();
        const int rows = entries->rowCount();
        check(rows == static_cast<int>(set_.size.entries) + saves, "one new line per Save");
        check(entries->index(rows - 1, 0).data().toString().toStdString() == lastLine_, "the last Save shown last");
        check(part<QComboBox>(*window_, "Text1")->count()
                  == static_cast<int>(set_.size.branches) + newBranches_ + learnedKnown,
              "new branches learned once");
        check(part<QComboBox>(*window_, "Text2")->count()
                  == static_cast<int>(set_.size.reasons) + newReasons_ + learnedAudit,
              "new reasons learned once");
        check(fileSize(logPath_) == logBefore_ + static_cast<std::size_t>(saves) * (logbook::kEntryLineWidth + 2),
              "entry log grown by the saved lines");
        dispose(std::move(window_));
        return {median(times_), times_.front()};
    }

private:
    const DataSet& set_;
    std::unique_ptr<Window> window_;
    std::string logPath_;
    std::size_t logBefore_;
    QStringList errors_;
    std::vector<double> times_;
    int newBranches_ = 0;
    int newReasons_ = 0;
    std::string lastLine_;
};

} // namespace

std::vector<SaveResult> timeSaves(const std::vector<DataSet>& sets, int saves)
{
    std::vector<std::unique_ptr<SaveSession>> sessions;
    for (const DataSet& set : sets)
        sessions.push_back(std::make_unique<SaveSession>(set));
    for (int i = 0; i < saves; ++i) {
        for (auto& session : sessions)
            session->save(i);
    }
    std::vector<SaveResult> results;
    for (auto& session : sessions)
        results.push_back(session->finish());
    return results;
}
