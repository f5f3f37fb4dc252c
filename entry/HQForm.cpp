#include "HQForm.h"
#include "HandlerGuard.h"

#include <DataFiles.h>
#include <Encoding.h>
#include <FileError.h>
#include <LineFile.h>
#include <Text.h>

#include <array>
#include <new>
#include <string_view>
#include <utility>

namespace entry {

namespace {

constexpr std::array<const char*, 12> kMonthNames = {
    "January", "February", "March", "April", "May", "June",
    "July", "August", "September", "October", "November", "December",
};
constexpr int kFirstYear = 2016;
constexpr int kLastYear = 2020;

// What a branch or reason field may hold: no control characters (pasted
// line breaks must never split a record) and at most kFieldLengthCap
// characters. Leaving a field and Save both apply it, so a text that reaches
// Save without the field being left is still stored cut.
std::string fieldText(const std::string& typed)
{
    return std::string(logbook::leftCharacters(logbook::replaceControlCharacters(typed), kFieldLengthCap));
}

// A Save's one deadline for the locks of all its files, the window busy
// meanwhile.
class SaveWait final : public logbook::LockWait {
public:
    explicit SaveWait(Platform& platform) : platform_(platform) {}
    ~SaveWait() override { end(); }
    void pause(std::chrono::milliseconds interval) override
    {
        waited_ = true;
        platform_.waitBusy(interval);
    }
    // The window is itself again: before any message, which would otherwise
    // show over a busy window.
    void end()
    {
        if (std::exchange(waited_, false))
            platform_.waitDone();
    }

private:
    Platform& platform_;
    bool waited_ = false;
};

// Made at start: showing them when memory has run out allocates nothing.
const std::string kEntryMayBeSaved = "The entry may have been saved, whole or in part. Start Tolmarin again and "
                                     "look at the end of the list before you save it again.";
const std::string kEntryNotSavedNoMemory = "The entry was not saved: there is not enough memory.";
const std::string kListsNotUpdatedNoMemory =
    "The entry was saved, but there was not enough memory left to update the lists.";

} // namespace

std::string startupFailureMessage(const std::exception& error)
{
    return std::string("Tolmarin cannot start.\n\n") + error.what();
}

std::string handlerFailureMessage(const std::exception& error)
{
    return std::string("Tolmarin must close after an unexpected error. The entries saved so far are kept.\n\n")
         + error.what();
}

void startReadingAhead(const std::string& dataDirectory)
{
    try {
        for (std::string_view name : {logbook::kEntryLogName, logbook::kBranchListName, logbook::kReasonListName})
            logbook::ReadLinesAhead(logbook::dataFilePath(dataDirectory, name));
    } catch (const std::exception&) {
    }
}

HQForm::HQForm(HQControls controls, std::string dataDirectory, logbook::FileSystem& files)
    : c_(controls)
    , files_(files)
    , entryLogPath_(logbook::dataFilePath(dataDirectory, logbook::kEntryLogName))
    , branchListPath_(logbook::dataFilePath(dataDirectory, logbook::kBranchListName))
    , reasonListPath_(logbook::dataFilePath(dataDirectory, logbook::kReasonListName))
{
}

void HQForm::Form_Load()
{
    knownBranches_ = {};
    knownReasons_ = {};
    // A start-up that takes longer than this (a huge log, a slow network
    // share) says so, rather than leaving the user with no window at all.
    const auto quietUntil = std::chrono::steady_clock::now() + kLoadingShownAfter;
    struct Shown {
        Platform& platform;
        bool shown = false;
        ~Shown()
        {
            if (shown)
                platform.loadingDone();
        }
    } loading{c_.platform};
    // One file at a time: each is read whole and closed before the next.
    auto load = [&](const std::string& path, auto& control) {
        try {
            logbook::EnsureFile(path, files_);
            const logbook::ReadWait wait = [&](std::uint64_t done, std::uint64_t total) {
                if (std::chrono::steady_clock::now() < quietUntil)
                    return true;
                loading.shown = true;
                return c_.platform.showLoading(path, done, total);
            };
            control.addItems(logbook::ReadLines(path, files_, wait));
        } catch (const std::bad_alloc&) {
            throw logbook::FileError(logbook::FileError::Action::Read, path, "There is not enough memory to load it");
        }
    };
    load(entryLogPath_, c_.MLyS);
    load(branchListPath_, c_.Text1);
    load(reasonListPath_, c_.Text2);
}

void HQForm::Label1_Click()
{
    c_.CLyS.clear();
    for (int day = 1; day <= 31; ++day) {
        const char twoDigits[] = {static_cast<char>('0' + day / 10), static_cast<char>('0' + day % 10), '\0'};
        c_.CLyS.addItem(twoDigits);
    }
    PickStage_ = 1;
    c_.CLyS.setVisible(true);
}

void HQForm::CLyS_Click()
{
    switch (PickStage_) {
    case 1:
        PickedDate_ = c_.CLyS.selectedText();
        c_.CLyS.clear();
        for (const char* month : kMonthNames)
            c_.CLyS.addItem(month);
        PickStage_ = 2;
        break;
    case 2:
        PickedDate_ += ' ';
        PickedDate_ += logbook::leftCharacters(c_.CLyS.selectedText(), 3);
        c_.CLyS.clear();
        for (int year = kFirstYear; year <= kLastYear; ++year)
            c_.CLyS.addItem(std::to_string(year));
        PickStage_ = 3;
        break;
    case 3: {
        // Chosen with the keyboard or a click in the list: go on to the branch.
        const bool chosenInTheList = c_.CLyS.hasFocus();
        PickedDate_ += ' ';
        PickedDate_ += c_.CLyS.selectedText();
        c_.CLyS.setVisible(false);
        c_.Label1.setCaption(PickedDate_);
        if (chosenInTheList)
            c_.Text1.setFocus();
        break;
    }
    default:
        break;
    }
}

void HQForm::Text1_LostFocus() { capField(c_.Text1); }

void HQForm::Text2_LostFocus() { capField(c_.Text2); }

void HQForm::capField(ComboBox& field)
{
    const std::string text = field.editText();
    const std::string capped = fieldText(text);
    if (capped != text)
        field.setEditText(capped);
}

void HQForm::Command1_Click()
{
    Stored stored = Stored::No;
    try {
        save(stored);
    } catch (const std::bad_alloc&) {
        // Huge lists can use up the memory (the known-text index, a new
        // item). An entry already stored stays so, and its inputs go; one
        // that may be stored is said to be.
        if (stored == Stored::Yes) {
            c_.Label1.setCaption(std::string(kNoDateCaption));
            c_.Text1.setEditText("");
            c_.Text2.setEditText("");
        }
        c_.platform.showError(stored == Stored::Yes     ? kListsNotUpdatedNoMemory
                              : stored == Stored::Maybe ? kEntryMayBeSaved
                                                        : kEntryNotSavedNoMemory);
    }
}

void HQForm::save(Stored& stored)
{
    const std::string date = c_.Label1.caption();
    const std::string branch = fieldText(c_.Text1.editText());
    const std::string reason = fieldText(c_.Text2.editText());
    if (reason.empty() || branch.empty() || date == kNoDateCaption)
        return;

    const std::string unstorable = logbook::unstorableCharacters(branch + reason);
    if (!unstorable.empty()) {
        c_.platform.showError("The entry was not saved: these characters cannot be stored in "
                              + entryLogPath_ + ":\n" + unstorable);
        return;
    }
    const std::string entryLine = logbook::composeEntryLine(date, branch, reason);
    SaveWait wait(c_.platform);
    try {
        logbook::AppendLine(entryLogPath_, entryLine, files_, wait);
    } catch (const logbook::UncertainAppend& error) {
        // The inputs stay, but saving them again could store the entry twice.
        stored = Stored::Maybe;
        wait.end();
        c_.platform.showError(kEntryMayBeSaved + "\n\n" + error.what());
        return;
    } catch (const logbook::FileError& error) {
        // Nothing was stored: keep the inputs so the user can try again.
        wait.end();
        c_.platform.showError(std::string("The entry was not saved.\n\n") + error.what());
        return;
    }
    stored = Stored::Yes;
    c_.MLyS.addItem(entryLine);

    std::string problems = learn(c_.Text1, knownBranches_, branchListPath_, "branch", branch, wait);
    problems += learn(c_.Text2, knownReasons_, reasonListPath_, "reason", reason, wait);

    c_.Label1.setCaption(std::string(kNoDateCaption));
    c_.Text1.setEditText("");
    c_.Text2.setEditText("");
    wait.end();
    if (!problems.empty())
        c_.platform.showError("The entry was saved." + problems);
}

bool HQForm::isKnown(ComboBox& field, KnownTexts& known, const std::string& upper)
{
    const std::size_t count = field.count();
    if (!known.built || known.items != count) {
        // Upper-casing every item once, here rather than at start-up, keeps
        // loading a large vocabulary free of per-item work.
        known.upper.clear();
        known.upper.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            known.upper.insert(c_.platform.toUpper(field.itemText(i)));
        known.items = count;
        known.built = true;
    }
    return known.upper.contains(upper);
}

std::string HQForm::learn(ComboBox& field, KnownTexts& known, const std::string& listPath,
                          const std::string& listName, const std::string& text, logbook::LockWait& wait)
{
    std::string upper = c_.platform.toUpper(text);
    if (isKnown(field, known, upper))
        return {};
    // Known before the list file is written: once the file holds the text,
    // the combo box failing to take it must not have the next Save write it
    // again.
    const auto index = known.upper.insert(std::move(upper)).first;
    std::string problem;
    try {
        logbook::AppendLine(listPath, text, files_, wait);
    } catch (const logbook::UncertainAppend& error) {
        // Kept as learned: the list may hold it, and a second line would
        // show it twice.
        problem = "\n\nThe new " + listName + " may have been added to the " + listName
                + " list, whole or in part.\n" + error.what();
    } catch (const logbook::FileError& error) {
        // Left out of the combo box too, so the next save tries again.
        known.upper.erase(index);
        return "\n\nThe new " + listName + " could not be added to the " + listName + " list.\n" + error.what();
    } catch (const std::bad_alloc&) {
        // AppendLine stored nothing then: the next save tries again.
        known.upper.erase(index);
        throw;
    }
    field.addItem(text);
    ++known.items;
    return problem;
}

} // namespace entry
