#include "MemoryControls.h"

namespace testing_support {

std::string MemoryPlatform::toUpper(std::string_view text) const
{
    // Byte-wise on UTF-8: a lead byte never looks like a continuation byte.
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto lead = static_cast<unsigned char>(out[i]);
        const auto next = i + 1 < out.size() ? static_cast<unsigned char>(out[i + 1]) : 0u;
        if (lead >= 'a' && lead <= 'z') {
            out[i] = static_cast<char>(lead - 0x20);
        } else if ((lead == 0xC3 && next >= 0xA0 && next <= 0xBE && next != 0xB7) // à..þ but ÷
                   || (lead == 0xD0 && next >= 0xB0)) {                              // а..п
            out[++i] = static_cast<char>(next - 0x20);
        } else if (lead == 0xD1 && next >= 0x80 && next <= 0x8F) { // р..я
            out[i] = static_cast<char>(0xD0);
            out[++i] = static_cast<char>(next + 0x20);
        }
    }
    return out;
}

} // namespace testing_support
