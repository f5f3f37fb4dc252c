#include "Encoding.h"
#include "Text.h"

namespace logbook {

std::string textFromFileBytes(std::string_view bytes)
{
    bytes = withoutByteOrderMark(bytes);
    if (isValidUtf8(bytes))
        return std::string(bytes);
    return windows1252ToUtf8(bytes);
}

std::string fileBytesFromText(std::string_view utf8) { return std::string(utf8); }

std::string unstorableCharacters(std::string_view) { return {}; }

} // namespace logbook
