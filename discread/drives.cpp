#include "drives.h"

#include "disc_image.h"

#include <sys/stat.h>

#include <cdio/cdio.h>

#include <cstdlib>
#include <memory>
#include <string_view>

namespace discread {

namespace {

// A name with an image's ending is an image (when missing, a drive without a
// disc; when it is no regular file, one that is refused); otherwise a device
// node is a drive and any other file an image.
bool LooksLikeImage(const std::string& Path) {
    if (HasImageEnding(Path)) {
        return true;
    }
    struct stat info {};
    return ::stat(Path.c_str(), &info) == 0 && !S_ISBLK(info.st_mode) && !S_ISCHR(info.st_mode);
}

} // namespace

std::vector<Drive> FindDrives() {
    std::vector<Drive> drives;
    // One path, never split: a file name may hold a ':'.
    if (const char* disc = std::getenv("DISCREAD_DISC"); disc != nullptr && *disc != '\0') {
        drives.push_back({disc, LooksLikeImage(disc)});
        return drives;
    }
    if (const char* list = std::getenv("DISCREAD_DRIVES"); list != nullptr && *list != '\0') {
        std::string_view rest = list;
        while (!rest.empty()) {
            const auto colon = rest.find(':');
            const auto entry = rest.substr(0, colon);
            if (!entry.empty()) {
                drives.push_back({std::string(entry), LooksLikeImage(std::string(entry))});
            }
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
        return drives;
    }
    const std::unique_ptr<char*, void (*)(char**)> devices(cdio_get_devices(DRIVER_DEVICE),
                                                           [](char** list) {
                                                               if (list != nullptr) {
                                                                   cdio_free_device_list(list);
                                                               }
                                                           });
    for (char** device = devices.get(); device != nullptr && *device != nullptr; ++device) {
        drives.push_back({*device, false});
    }
    return drives;
}

} // namespace discread
