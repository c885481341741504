#include "image_files.h"

#include "last_error.h"
#include "sheet_files.h"
#include "sheet_syntax.h"

#include <string_view>

namespace discread {

namespace {

bool IsFileKeyword(std::string_view Word) {
    return Word == "FILE" || Word == "AUDIOFILE" || Word == "DATAFILE";
}

// The quoted file names of FILE, AUDIOFILE and DATAFILE lines. A sheet that is
// no regular file, or larger than a sheet can be, is never read: it names no
// file the library would read either.
std::vector<std::string> NamedFiles(const std::string& Sheet) {
    std::vector<std::string> names;
    std::string text;
    try {
        text = ReadSheet(Sheet);
    } catch (const FileError&) {
        return names;
    }
    // Line by line with the loosest syntax: this is a safeguard for sheets the
    // readers refused, so it must not refuse them in turn.
    std::size_t from = 0;
    while (from < text.size()) {
        const auto newline = text.find('\n', from);
        const auto words =
            TokenizeSheet(std::string_view(text).substr(from, newline - from), CueSyntax);
        from = newline + 1;
        if (words.size() >= 2 && words[0].Kind == SheetTokenKind::Word &&
            IsFileKeyword(words[0].Text) && words[1].Kind == SheetTokenKind::Quoted &&
            !words[1].Unclosed && !words[1].Text.empty()) {
            names.push_back(words[1].Text);
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
