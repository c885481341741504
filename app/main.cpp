// Kestrune: copies one track of an audio CD into an MP3 file. Started with the
// track's path as the file manager shows it, for example D:\Track03.cda.

#include "app/application.h"
#include "app/font_substitutes.h"
#include "app/kestrune_program.h"
#include "cdin/discread_binding.h"
#include "platform/named_mutex.h"
#include "platform/standard_descriptors.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    kestrune::platform::OpenMissingStandardDescriptors();
    // One copy at a time; a second one ends at once, silently. A lock that
    // cannot be made is no reason not to run: one copy without it is better
    // than none.
    const kestrune::platform::NamedMutex running("Kesta");
    if (running.Status() == kestrune::platform::NamedMutexStatus::HeldElsewhere) {
        return 0;
    }
    if (running.Status() == kestrune::platform::NamedMutexStatus::Unavailable) {
        std::cerr << "kestrune: running without the single-copy lock: " << running.Reason() << '\n';
    }
    int status = 0;
    {
        kestrune::TApplication application(argc, argv);
        kestrune::TApplication::setApplicationName("Kestrune");
        kestrune::SubstituteMissingFonts();
        // Qt has taken its own options out of argv by now.
        status = kestrune::RunKestrune(std::vector<std::string>(argv + 1, argv + argc));
    }
    // After every window is gone.
    kestrune::UnloadRipLibrary();
    return status;
}
