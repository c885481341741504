// Kestrune: copies one track of an audio CD into an MP3 file. Started with the
// track's path as the file manager shows it, for example D:\Track03.cda.

#include "app/application.h"
#include "app/kestrune_program.h"
#include "cdin/discread_binding.h"
#include "platform/named_mutex.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    // One copy at a time; a second one ends at once, silently.
    const kestrune::platform::NamedMutex running("Kesta");
    if (!running.Acquired()) {
        return 0;
    }
    int status = 0;
    {
        kestrune::TApplication application(argc, argv);
        kestrune::TApplication::setApplicationName("Kestrune");
        // Qt has taken its own options out of argv by now.
        status = kestrune::RunKestrune(std::vector<std::string>(argv + 1, argv + argc));
    }
    // After every window is gone.
    kestrune::UnloadRipLibrary();
    return status;
}
