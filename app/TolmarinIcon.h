#pragma once

#include <QIcon>
#include <QImage>

namespace qtui {

// The program's 16 x 16, 16-colour icon: a ledger with a bookmark.
QIcon tolmarinIcon();
// The same picture as an image, for the menu icons made at build time.
QImage tolmarinIconImage();

} // namespace qtui
