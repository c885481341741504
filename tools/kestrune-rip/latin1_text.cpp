#include "tools/kestrune-rip/latin1_text.h"

#include <cstdint>

namespace kestrune::rip {

namespace {

constexpr char Unheld = '?';

// The length of the sequence a lead byte starts, and the bits it carries; 0 for
// a byte that cannot start one.
int SequenceLength(std::uint8_t Lead, std::uint32_t& Bits) {
    if (Lead < 0x80) {
        Bits = Lead;
        return 1;
    }
    if (Lead >= 0xC2 && Lead <= 0xDF) {
        Bits = Lead & 0x1Fu;
        return 2;
    }
    if (Lead >= 0xE0 && Lead <= 0xEF) {
        Bits = Lead & 0x0Fu;
        return 3;
    }
    if (Lead >= 0xF0 && Lead <= 0xF4) {
        Bits = Lead & 0x07u;
        return 4;
    }
    return 0;
}

} // namespace

std::string Latin1Text(std::string_view Utf8) {
    std::string text;
    std::size_t at = 0;
    while (at < Utf8.size()) {
        std::uint32_t point = 0;
        const int length = SequenceLength(static_cast<std::uint8_t>(Utf8[at]), point);
        bool whole = length > 0 && at + static_cast<std::size_t>(length) <= Utf8.size();
        for (int i = 1; whole && i < length; ++i) {
            const auto next = static_cast<std::uint8_t>(Utf8[at + static_cast<std::size_t>(i)]);
            whole = (next & 0xC0u) == 0x80u;
            point = (point << 6) | (next & 0x3Fu);
        }
        // Overlong forms and surrogates are broken UTF-8 as well.
        constexpr std::uint32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        whole = whole && point >= Smallest[length] && point <= 0x10FFFF &&
                (point < 0xD800 || point > 0xDFFF);
        if (!whole) {
            text += Unheld;
            ++at;
            continue;
        }
        text += point <= 0xFF ? static_cast<char>(point) : Unheld;
        at += static_cast<std::size_t>(length);
    }
    return text;
}

} // namespace kestrune::rip
