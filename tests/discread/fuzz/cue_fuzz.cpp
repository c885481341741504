#include "tests/discread/fuzz/fuzz_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    return kestrune::fuzz::ReadImage(Data, Size, ".cue");
}
