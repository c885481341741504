#pragma once

#include <string>
#include <vector>

namespace discread {

struct Drive {
    std::string Path;
    bool Image = false; // a disc image file rather than a device node
};

// The entries of DISCREAD_DRIVES, otherwise the CD drives libcdio finds.
std::vector<Drive> FindDrives();

} // namespace discread
