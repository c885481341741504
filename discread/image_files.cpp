#include "image_files.h"

#include "last_error.h"
#include "regular_file.h"

#include <cctype>
#include <cstdint>
#include <sstream>
#include <string_view>

namespace discread {

namespace {

// A sheet is a few kilobytes; anything larger is not one, and is not read.
constexpr std::int64_t MaxSheetBytes = 1 << 20;

bool IsFileKeyword(std::string_view Word) {
    return Word == "FILE" || Word == "AUDIOFILE" || Word == "DATAFILE";
}

std::string FolderOf(const std::string& Path) {
    const auto slash = Path.rfind('/');
    return slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
}

// The quoted file names of FILE, AUDIOFILE and DATAFILE lines. A sheet that is
// no regular file, or larger than a sheet can be, is never read: it names no
// file the library would read either.
std::vector<std::string> NamedFiles(const std::string& Sheet) {
    std::vector<std::string> names;
    std::string whole;
    try {
        whole = RegularFile(Sheet).ReadAll(MaxSheetBytes);
    } catch (const ImageError&) {
        return names;
    }
    std::istringstream in(whole);
    std::string line;
    while (std::getline(in, line)) {
        std::string_view text = line;
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
            text.remove_prefix(1);
        }
        const auto blank = text.find_first_of(" \t");
        if (blank == std::string_view::npos || !IsFileKeyword(text.substr(0, blank))) {
            continue;
        }
        const auto open = text.find('"', blank);
        const auto close = open == std::string_view::npos ? open : text.find('"', open + 1);
        if (close != std::string_view::npos && close > open + 1) {
            names.emplace_back(text.substr(open + 1, close - open - 1));
        }
    }
    return names;
}

} // namespace

std::vector<std::string> ImageFiles(const std::string& Path) {
    std::vector<std::string> files{Path};
    const bool cue = Path.ends_with(".cue");
    if (cue) {
        files.push_back(Path.substr(0, Path.size() - 4) + ".bin");
    }
    if (cue || Path.ends_with(".toc")) {
        for (const auto& name : NamedFiles(Path)) {
            files.push_back(name.starts_with('/') ? name : FolderOf(Path) + name);
        }
    }
    return files;
}

} // namespace discread
