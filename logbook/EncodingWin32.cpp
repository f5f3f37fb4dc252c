#include "Encoding.h"
#include "Text.h"
#include "Utf16.h"

#include <windows.h>

namespace logbook {

namespace {

std::string fromWide(UINT codePage, std::wstring_view wide, BOOL* usedDefault)
{
    if (wide.empty())
        return {};
    // No best fit: an unstorable character must show up as unstorable, not
    // quietly become a look-alike (U+0100 as "A"). UTF-8 takes neither flag.
    DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    if (codePage == CP_UTF8)
        usedDefault = nullptr;
    int length = ::WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                       nullptr, usedDefault);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), bytes.data(), length,
                          nullptr, nullptr);
    return bytes;
}

} // namespace

std::string textFromFileBytes(std::string_view bytes)
{
    bytes = withoutByteOrderMark(bytes);
    // The Linux program writes UTF-8. A line in a code page is hardly ever
    // valid UTF-8 once it has a byte above 127, so a valid line is taken as
    // UTF-8 (an ASCII one reads the same either way); any other is in the
    // ANSI code page, as this program writes.
    if (isValidUtf8(bytes))
        return std::string(bytes);
    int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), length);
    return fromWide(CP_UTF8, wide, nullptr);
}

std::string fileBytesFromText(std::string_view utf8)
{
    return fromWide(CP_ACP, toWide(utf8), nullptr);
}

std::string unstorableCharacters(std::string_view utf8)
{
    if (::GetACP() == CP_UTF8) // Windows set to store UTF-8 takes everything
        return {};
    const std::wstring wide = toWide(utf8);
    std::string unstorable;
    std::wstring seen;
    for (std::size_t i = 0; i < wide.size();) {
        // One character: a surrogate pair counts as one.
        std::size_t length = IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() ? 2 : 1;
        std::wstring_view character(wide.data() + i, length);
        i += length;
        if (seen.find(character) != std::wstring::npos)
            continue;
        seen += character;
        BOOL usedDefault = FALSE;
        fromWide(CP_ACP, character, &usedDefault);
        if (usedDefault)
            unstorable += fromWide(CP_UTF8, character, nullptr);
    }
    return unstorable;
}

} // namespace logbook
