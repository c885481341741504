#include "tests/tools/tag_reader.h"

#include <array>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace kestrune::test {

namespace {

// The system's Python, which has mutagen (python3-mutagen), whatever python3
// comes first on the path.
constexpr const char* ReadScript = R"(
import sys, mutagen.id3
try:
    tag = mutagen.id3.ID3(sys.argv[1], v2_version=4, translate=False, load_v1=False)
except mutagen.id3.ID3NoHeaderError:
    sys.exit(0)
print("version=%d.%d.%d" % tag.version)
for key, frame in sorted(tag.items()):
    if key.startswith("UFID"):
        value = frame.data.decode("ascii")
    elif key.startswith("APIC"):
        value = "%s %d" % (frame.mime, len(frame.data))
    else:
        value = "/".join(str(text) for text in frame.text)
    print("%s=%s" % (key, value))
)";

struct ClosePipe {
    void operator()(FILE* Pipe) const { ::pclose(Pipe); }
};

} // namespace

std::map<std::string, std::string> ReadId3v2(const std::string& File) {
    const std::string command =
        "/usr/bin/python3 -c '" + std::string(ReadScript) + "' '" + File + "' 2>&1";
    const std::unique_ptr<FILE, ClosePipe> pipe(::popen(command.c_str(), "r"));
    if (!pipe) {
        throw std::runtime_error("cannot start the tag reader");
    }
    std::string output;
    std::array<char, 4096> buffer{};
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) {
        output.append(buffer.data(), got);
    }
    std::map<std::string, std::string> frames;
    std::size_t at = 0;
    while (at < output.size()) {
        const std::size_t end = std::min(output.find('\n', at), output.size());
        const std::string line = output.substr(at, end - at);
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            throw std::runtime_error("the tag reader said: " + output);
        }
        frames[line.substr(0, equals)] = line.substr(equals + 1);
        at = end + 1;
    }
    return frames;
}

} // namespace kestrune::test
