#pragma once

#include <QIcon>

// The program's 16 x 16, 16-colour icon: a ledger with a bookmark.
QIcon tolmarinIcon();
