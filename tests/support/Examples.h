#pragma once
// Texts several test suites share.

#include <string>

namespace testing_support {

// The worked example: 07 Mar 2016, branch Main, reason Audit, 60 characters.
inline const std::string kWorkedExample = "07 Mar 2016  Main             Audit                         ";

} // namespace testing_support
