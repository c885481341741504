#include "tools/kestrune-rip/source_read.h"

#include <exception>

namespace kestrune::rip {

SourceRead ReadSource(TCDIn& Cd, const std::function<bool(TCDIn&)>& Read) {
    SourceRead read;
    try {
        Cd.OpenSource();
        read.Whole = Read(Cd);
        Cd.CloseSource();
    } catch (const std::exception& e) {
        if (Cd.Busy()) {
            Cd.CloseSource();
        }
        read.Whole = false;
        read.Error = e.what();
    }
    return read;
}

} // namespace kestrune::rip
