#pragma once
// Texts several test suites share.

#include <string>
#include <utility>

namespace testing_support {

// The worked example: 07 Mar 2016, branch Main, reason Audit, 60 characters.
inline const std::string kWorkedExample = "07 Mar 2016  Main             Audit                         ";

// Upper-casing by the user's locale for the known-text check, the same on both
// front ends: one character to one, so "ß" (whose capital is "SS") stays and
// "STRASSE" is no known "Straße"; nothing is trimmed.
inline const std::pair<std::string, std::string> kUpperCased[] = {
    {"île-de-france", "ÎLE-DE-FRANCE"},
    {"proverka проверка ωμέγα", "PROVERKA ПРОВЕРКА ΩΜΈΓΑ"},
    {" Straße ﬁnal ", " STRAßE ﬁNAL "},
};

} // namespace testing_support
