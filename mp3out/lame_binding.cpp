#include "mp3out/lame_binding.h"

#include "platform/run_time_library.h"

#include <iostream>
#include <string_view>

namespace kestrune {

namespace {

struct EncoderBinding {
    platform::RunTimeLibrary Library{"libmp3lame.so.0", EncoderLibraryNames};
    TLameCalls Calls;
};

EncoderBinding& Binding() {
    static EncoderBinding binding;
    return binding;
}

} // namespace

void LoadEncoderLibrary() {
    EncoderBinding& b = Binding();
    try {
        const bool first = !b.Library.Loaded();
        b.Library.Acquire();
        if (!first) {
            return;
        }
        if (const std::string_view missing = b.Calls.TakeFrom(b.Library); !missing.empty()) {
            // A library without every call the sink makes is no use; never call a null entry.
            b.Library.Release();
            b.Calls.Clear();
            throw platform::LibraryLoadError(b.Library.FileName() + ": no entry point " +
                                             std::string(missing));
        }
    } catch (const platform::LibraryLoadError& e) {
        std::cerr << "kestrune: " << e.what() << '\n';
    }
}

void UnloadEncoderLibrary() {
    EncoderBinding& b = Binding();
    b.Library.Release();
    if (!b.Library.Loaded()) {
        b.Calls.Clear();
    }
}

bool EncoderLibraryLoaded() {
    return Binding().Library.Loaded();
}

int EncoderLibraryUsers() {
    return Binding().Library.Users();
}

void* EncoderLibraryEntry(std::size_t Index) {
    return Binding().Library.Entry(Index);
}

const TLameCalls& Lame() {
    return Binding().Calls;
}

void SetEncoderLibraryFileName(std::string FileName) {
    Binding().Library.SetFileName(std::move(FileName));
}

} // namespace kestrune
