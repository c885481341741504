#include "tools/kestrune-rip/text_file.h"

#include "platform/file_stream.h"

#include <span>

namespace kestrune::rip {

void WriteTextFile(const std::string& File, const std::string& Text) {
    platform::FileStream file(File);
    file.Write(std::as_bytes(std::span(Text.data(), Text.size())));
    file.Finish();
}

} // namespace kestrune::rip
