#include "TolmarinIcon.h"

#include <QImage>
#include <QPixmap>

namespace qtui {

namespace {

// Colours from the 16-colour palette only.
const char* const kIconXpm[] = {
    "16 16 8 1",
    "  c None",
    ". c #000000",
    "t c #008080",
    "w c #FFFFFF",
    "y c #FFFF00",
    "G c #00FF00",
    "g c #008000",
    "r c #FF0000",
    "                ",
    " .............  ",
    " .tt.wyyyyyyw.  ",
    " .tt.wwwwwwww.  ",
    " .tt.wGGGGGww.  ",
    " .tt.wwwwwwww.  ",
    " .tt.wgggggww.  ",
    " .tt.wwwwwwww.  ",
    " .tt.wgggggrw.  ",
    " .tt.wwwwwwrw.  ",
    " .tt.wgggggrw.  ",
    " .tt.wwwwwrrr.  ",
    " .tt.wwwwwwww.  ",
    " .tt.wwwwwwww.  ",
    " .............  ",
    "                ",
};

} // namespace

QImage tolmarinIconImage() { return QImage(kIconXpm); }

QIcon tolmarinIcon() { return QIcon(QPixmap::fromImage(tolmarinIconImage())); }

} // namespace qtui
