#include "tools/kestrune-rip/sector_ranges.h"

namespace kestrune::rip {

std::string FormatSectorRanges(const std::vector<std::int32_t>& Sectors, std::size_t Most) {
    std::string text;
    std::size_t runs = 0;
    for (std::size_t i = 0; i < Sectors.size();) {
        std::size_t last = i;
        while (last + 1 < Sectors.size() && Sectors[last + 1] == Sectors[last] + 1) {
            ++last;
        }
        if (Most != 0 && runs == Most) {
            return text + " and " + std::to_string(Sectors.size() - i) + " more sectors";
        }
        text += (text.empty() ? "" : ", ") + std::to_string(Sectors[i]) +
                (last > i ? "-" + std::to_string(Sectors[last]) : std::string());
        ++runs;
        i = last + 1;
    }
    return text;
}

} // namespace kestrune::rip
