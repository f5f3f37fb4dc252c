#pragma once
// Data folders of a given size, filled with entry lines that look like a
// real user's: dates from the picker's years, branches and reasons drawn
// from the folder's own vocabulary, some of them beyond ASCII. Or a hostile
// log: one huge line without a line end, and no branches or reasons.

#include <cstddef>
#include <string>
#include <vector>

struct DataSetSize {
    std::size_t entries = 0;
    std::size_t branches = 0;
    std::size_t reasons = 0;
    // Not 0: the log is one line of this many bytes.
    std::size_t singleLineBytes = 0;

    bool isEmpty() const { return entries + branches + reasons == 0; }
    bool isHostile() const { return singleLineBytes != 0; }
    // "e1000000-b100-r300" or "hostile-100000000".
    std::string name() const;
};

struct DataSet {
    std::string directory;
    DataSetSize size;
    std::vector<std::string> branches;
    std::vector<std::string> reasons;
    // Bytes of the three data files together.
    std::size_t fileBytes = 0;
};

// Creates `directory` and writes the three files into it.
DataSet createDataSet(const std::string& directory, DataSetSize size);
