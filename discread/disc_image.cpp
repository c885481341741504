#include "disc_image.h"

#include "cue_sheet.h"
#include "last_error.h"
#include "nrg_image.h"
#include "regular_file.h"
#include "toc_sheet.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace discread {

namespace {

std::string LowerEnding(const std::string& Path) {
    const auto dot = Path.rfind('.');
    const auto slash = Path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    std::string ending = Path.substr(dot);
    for (char& c : ending) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return ending;
}

std::unique_ptr<ImageReader> OpenByEnding(const std::string& Path) {
    const std::string ending = LowerEnding(Path);
    if (ending.empty()) {
        // A link named like a device (/dev/cdrom, or sr1 beside its image) is
        // the image it points to, read from the image's own folder.
        std::error_code error;
        const std::string target = std::filesystem::canonical(Path, error).string();
        if (!error && !LowerEnding(target).empty()) {
            return OpenDiscImage(target);
        }
    }
    if (ending == ".cue") {
        return OpenCueSheet(Path);
    }
    if (ending == ".nrg") {
        return OpenNrgImage(Path);
    }
    if (ending == ".iso") {
        return OpenIsoImage(Path);
    }
    if (ending == ".toc") {
        return OpenTocSheet(Path);
    }
    if (ending == ".bin") {
        // A raw image is described by the cue sheet beside it.
        const std::string sheet = Path.substr(0, Path.size() - 4) + ".cue";
        if (RegularFileProblem(sheet).empty()) {
            return OpenCueSheet(sheet);
        }
        throw CannotOpen(Path, "a .bin file is read through its cue sheet, and there is no \"" +
                                   sheet + "\"");
    }
    throw CannotOpen(Path, "the kind of image \"" + ending + "\" is not known");
}

} // namespace

bool HasImageEnding(const std::string& Path) {
    const std::string ending = LowerEnding(Path);
    return ending == ".cue" || ending == ".toc" || ending == ".nrg" || ending == ".iso" ||
           ending == ".bin";
}

std::unique_ptr<ImageReader> OpenDiscImage(const std::string& Path) {
    const std::string problem = RegularFileProblem(Path);
    if (!problem.empty()) {
        throw CannotOpen(Path, "it " + problem);
    }
    try {
        return OpenByEnding(Path);
    } catch (const FileError& e) {
        // The image file itself: the sheets name their own files in their
        // messages, an .nrg or .iso is the one file there is.
        throw CannotOpen(Path, e.what());
    }
}

} // namespace discread
