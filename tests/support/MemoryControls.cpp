#include "MemoryControls.h"

namespace testing_support {

namespace {

char32_t upper(char32_t c)
{
    if (c >= U'a' && c <= U'z')
        return c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) // à..þ except ÷
        return c - 0x20;
    if (c >= 0x430 && c <= 0x44F) // а..я
        return c - 0x20;
    return c;
}

} // namespace

std::string MemoryPlatform::toUpper(std::string_view text) const
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        c = upper(c);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out.append(text.substr(i, length)); // unchanged above U+07FF
        }
        i += length;
    }
    return out;
}

} // namespace testing_support
