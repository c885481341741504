#include "tests/tools/checksum_reference.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace kestrune::test {

std::vector<std::string> ComputedApart(const std::string& Bin,
                                       const std::vector<ChecksumRange>& Ranges) {
    std::string command =
        "/usr/bin/python3 " SOURCE_DIR "/tests/tools/checksum_reference.py '" + Bin + "'";
    for (const ChecksumRange& range : Ranges) {
        command += " " + std::to_string(range.Start) + ":" + std::to_string(range.Sectors) + ":" +
                   range.Ends;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::vector<std::string> lines;
    char line[128];
    while (pipe && std::fgets(line, sizeof line, pipe.get()) != nullptr) {
        lines.emplace_back(line, std::strlen(line) - 1);
    }
    return lines;
}

} // namespace kestrune::test
