#include "sheet_files.h"

#include "regular_file.h"

#include <cctype>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace discread {

namespace {

// A sheet is a few kilobytes; a larger file is not one.
constexpr std::int64_t MaxSheetBytes = 1 << 20;

bool Exists(const std::string& Path) {
    struct stat info {};
    return ::lstat(Path.c_str(), &info) == 0;
}

bool SameIgnoringCase(const std::string& A, const char* B) {
    std::size_t i = 0;
    for (; i < A.size() && B[i] != '\0'; ++i) {
        if (std::tolower(static_cast<unsigned char>(A[i])) !=
            std::tolower(static_cast<unsigned char>(B[i]))) {
            return false;
        }
    }
    return i == A.size() && B[i] == '\0';
}

// Name (without a folder) in Folder, found regardless of case.
std::string FindIgnoringCase(const std::string& Folder, const std::string& Name) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(Folder.empty() ? "." : Folder.c_str()),
                                                  &::closedir);
    if (!dir) {
        return {};
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        if (SameIgnoringCase(Name, entry->d_name)) {
            return Folder + entry->d_name;
        }
    }
    return {};
}

} // namespace

std::string ReadSheet(const std::string& Path) {
    std::string text = RegularFile(Path).ReadAll(MaxSheetBytes);
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.erase(0, 3);
    }
    std::string lines;
    lines.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            lines += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            lines += text[i];
        }
    }
    if (!lines.ends_with('\n')) {
        lines += '\n';
    }
    return lines;
}

std::string FolderOf(const std::string& Path) {
    const auto slash = Path.rfind('/');
    return slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
}

std::string FindNamedFile(const std::string& Sheet, const std::string& Name) {
    if (Name.empty()) {
        return {};
    }
    const std::string folder = FolderOf(Sheet);
    const std::string path = Name.starts_with('/') ? Name : folder + Name;
    if (Exists(path)) {
        return path;
    }
    const std::string found = FindIgnoringCase(FolderOf(path), path.substr(FolderOf(path).size()));
    if (!found.empty()) {
        return found;
    }
    const auto separator = Name.find_last_of("/\\");
    if (separator != std::string::npos) {
        const std::string bare = Name.substr(separator + 1);
        if (!bare.empty() && Exists(folder + bare)) {
            return folder + bare;
        }
        return bare.empty() ? std::string() : FindIgnoringCase(folder, bare);
    }
    return {};
}

} // namespace discread
