#include "platform/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace kestrune::platform {

bool IsTerminal(std::FILE* Stream) {
    return ::isatty(::fileno(Stream)) == 1;
}

int TerminalColumns(std::FILE* Stream) {
    winsize size{};
    if (::ioctl(::fileno(Stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 80;
}

} // namespace kestrune::platform
