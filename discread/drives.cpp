#include "drives.h"

#include <cdio/cdio.h>

#include <cstdlib>
#include <memory>
#include <string_view>

namespace discread {

namespace {

bool LooksLikeImage(std::string_view Path) {
    for (const std::string_view ending : {".cue", ".toc", ".nrg", ".iso", ".bin"}) {
        if (Path.size() > ending.size() && Path.substr(Path.size() - ending.size()) == ending) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<Drive> FindDrives() {
    std::vector<Drive> drives;
    if (const char* list = std::getenv("DISCREAD_DRIVES"); list != nullptr && *list != '\0') {
        std::string_view rest = list;
        while (!rest.empty()) {
            const auto colon = rest.find(':');
            const auto entry = rest.substr(0, colon);
            if (!entry.empty()) {
                drives.push_back({std::string(entry), LooksLikeImage(entry)});
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
