#include "Text.h"

#include <array>
#include <cstdint>

namespace logbook {

namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Windows-1252 code points for bytes 0x80 to 0x9F; the rest equal Latin-1.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

std::size_t characterCount(std::string_view utf8)
{
    std::size_t count = 0;
    for (unsigned char byte : utf8)
        count += !isContinuation(byte);
    return count;
}

std::string_view leftCharacters(std::string_view utf8, std::size_t count)
{
    std::size_t seen = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (!isContinuation(static_cast<unsigned char>(utf8[i]))) {
            if (seen == count)
                return utf8.substr(0, i);
            ++seen;
        }
    }
    return utf8;
}

std::string fitToWidth(std::string_view utf8, std::size_t width)
{
    std::string out(leftCharacters(utf8, width));
    out.append(width - characterCount(out), ' ');
    return out;
}

std::string_view withoutByteOrderMark(std::string_view bytes)
{
    return bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
}

bool isValidUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        unsigned char b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        std::size_t length;
        char32_t cp;
        char32_t min;
        if ((b & 0xE0) == 0xC0) {
            length = 2, cp = b & 0x1F, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3, cp = b & 0x0F, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4, cp = b & 0x07, min = 0x10000;
        } else {
            return false;
        }
        if (static_cast<std::size_t>(end - p) < length)
            return false;
        for (std::size_t i = 1; i < length; ++i) {
            if (!isContinuation(p[i]))
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += length;
    }
    return true;
}

std::string windows1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte <= 0x9F)
            appendUtf8(out, kWindows1252High[byte - 0x80]);
        else
            appendUtf8(out, byte);
    }
    return out;
}

std::string replaceControlCharacters(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x20 || byte == 0x7F) {
            out += ' ';
        } else if (byte == 0xC2 && i + 1 < utf8.size()
                   && static_cast<unsigned char>(utf8[i + 1]) >= 0x80
                   && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            out += ' '; // U+0080..U+009F
            ++i;
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

} // namespace logbook
