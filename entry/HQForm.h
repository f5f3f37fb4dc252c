#pragma once
// The handlers of the window HQ and its form-level state, independent of any
// window system: start-up loading, the date picker, the field length cap and
// Save.

#include "Controls.h"

#include <FileSystem.h>
#include <LineFile.h>

#include <cstdint>
#include <exception>
#include <string>
#include <unordered_set>

namespace entry {

// What the date label shows when no date is picked.
inline constexpr std::string_view kNoDateCaption = "DATE";
// How long start-up loads before it shows how far it is.
inline constexpr std::chrono::milliseconds kLoadingShownAfter{500};
// Branch and reason are cut to this many characters when the field is left,
// and again at Save for text that reached it without leaving the field.
inline constexpr std::size_t kFieldLengthCap = 16;

// What the user is told when the program cannot start: Form_Load failed,
// or the data folder could not be found.
std::string startupFailureMessage(const std::exception& error);

// Starts reading the three data files of `dataDirectory` on threads of their
// own (logbook::ReadLinesAhead), for Form_Load to take: called before the
// window system starts, it overlaps most of a large log's loading with that.
// A failure is left to Form_Load, which reads again and reports it.
void startReadingAhead(const std::string& dataDirectory);

class HQForm {
public:
    // `files` is where the data files are read and written: the platform's
    // own, or in tests one that fails on purpose.
    HQForm(HQControls controls, std::string dataDirectory,
           logbook::FileSystem& files = logbook::platformFileSystem());

    // Creates missing data files and fills MLyS, Text1 and Text2 from them.
    // Throws logbook::FileError, also for a file too large for the memory;
    // the caller reports it and ends the program. Throws
    // logbook::ReadAbandoned when the user closed the window that showed a
    // long load: the caller ends the program without a word.
    void Form_Load();

    void Label1_Click();
    void CLyS_Click();
    void Text1_LostFocus();
    void Text2_LostFocus();
    void Command1_Click();

private:
    // The upper-cased texts of a combo box's items, so that Save tells a new
    // branch or reason from a known one without going through every item.
    // Built at the first Save and kept in step as items are learned.
    struct KnownTexts {
        std::unordered_set<std::string> upper;
        // How many of the combo box's items are in `upper`; any other count
        // means items came in some other way and the index is made anew.
        std::size_t items = 0;
        bool built = false;
    };

    // How far a Save got with the entry line, for what a failure then says.
    enum class Stored { No, Maybe, Yes };
    // Save's work; `stored` follows the entry line into the log.
    void save(Stored& stored);
    void capField(ComboBox& field);
    bool isKnown(ComboBox& field, KnownTexts& known, const std::string& upper);
    // Adds a new branch or reason to its list file and combo box; returns a
    // message for the user when the list file could not be written.
    std::string learn(ComboBox& field, KnownTexts& known, const std::string& listPath, const std::string& listName,
                      const std::string& text, logbook::LockWait& wait);

    HQControls c_;
    logbook::FileSystem& files_;
    std::string entryLogPath_;
    std::string branchListPath_;
    std::string reasonListPath_;
    std::uint8_t PickStage_ = 0;
    std::string PickedDate_;
    KnownTexts knownBranches_;
    KnownTexts knownReasons_;
};

} // namespace entry
