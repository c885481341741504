#include "platform/ini_file.h"

#include "platform/file_descriptor.h"
#include "platform/file_lock.h"
#include "platform/file_stream.h"
#include "platform/path_name.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <span>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace kestrune::platform {

namespace {

bool IsBlank(char C) {
    return C == ' ' || C == '\t';
}

std::string_view TrimBlanks(std::string_view Text) {
    while (!Text.empty() && IsBlank(Text.front())) {
        Text.remove_prefix(1);
    }
    while (!Text.empty() && IsBlank(Text.back())) {
        Text.remove_suffix(1);
    }
    return Text;
}

bool SameText(std::string_view A, std::string_view B) {
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// One line of the file: [Begin, End) is its text, End to Next its line break.
struct Line {
    std::size_t Begin;
    std::size_t End;
    std::size_t Next;
};

std::vector<Line> SplitLines(const std::string& Text) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < Text.size()) {
        const std::size_t newline = Text.find('\n', begin);
        const std::size_t next = newline == std::string::npos ? Text.size() : newline + 1;
        std::size_t end = newline == std::string::npos ? Text.size() : newline;
        if (end > begin && Text[end - 1] == '\r') {
            --end;
        }
        lines.push_back({begin, end, next});
        begin = next;
    }
    return lines;
}

std::optional<std::string_view> SectionName(std::string_view Line) {
    const auto text = TrimBlanks(Line);
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
        return TrimBlanks(text.substr(1, text.size() - 2));
    }
    return std::nullopt;
}

[[noreturn]] void Fail(const std::string& Path) {
    throw IniWriteError("Unable to write to " + Path);
}

// The file's text, empty when there is none. Only a regular file of a
// settings file's size is read: a FIFO would block the open, a link to a
// device such as /dev/zero would never end.
std::optional<std::string> ReadSettingsFile(const std::string& Path) {
    const FileDescriptor file(::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.Valid()) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        Fail(Path);
    }
    const int descriptor = file.Get();
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > static_cast<off_t>(MaxIniBytes)) {
        Fail(Path);
    }
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t got = ::read(descriptor, text.data() + done, text.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            Fail(Path);
        }
        if (got == 0) {
            break; // shorter than it said: another writer's rename came first
        }
        done += static_cast<std::size_t>(got);
    }
    text.resize(done);
    return text;
}

} // namespace

namespace {

// Where Key's value stands in [Section] of Text, or where a missing key goes.
struct KeyPlace {
    std::optional<std::size_t> ValueBegin; // the value's first byte, when the key is there
    std::size_t ValueEnd = 0;
    bool SectionFound = false;
    std::size_t InsertAt = 0; // after the section's last non-blank line, else the end
};

KeyPlace FindKey(const std::string& Text, std::string_view Section, std::string_view Key) {
    KeyPlace place;
    place.InsertAt = Text.size();
    for (const Line& at : SplitLines(Text)) {
        const std::string_view line(Text.data() + at.Begin, at.End - at.Begin);
        if (const auto name = SectionName(line)) {
            if (place.SectionFound) {
                break; // the next section begins: the key was not in ours
            }
            if (SameText(*name, Section)) {
                place.SectionFound = true;
                place.InsertAt = at.Next;
            }
            continue;
        }
        if (!place.SectionFound) {
            continue;
        }
        const auto equals = line.find('=');
        if (equals != std::string_view::npos && SameText(TrimBlanks(line.substr(0, equals)), Key)) {
            // Keep the spacing after '='; only the value itself is replaced.
            std::size_t from = at.Begin + equals + 1;
            while (from < at.End && IsBlank(Text[from])) {
                ++from;
            }
            place.ValueBegin = from;
            place.ValueEnd = at.End;
            return place;
        }
        if (!TrimBlanks(line).empty()) {
            place.InsertAt = at.Next;
        }
    }
    return place;
}

// Text with Key in [Section] set to Value; every other byte as it was.
std::string WithValue(std::string Text, std::string_view Section, std::string_view Key,
                      std::string_view Value) {
    const KeyPlace place = FindKey(Text, Section, Key);
    if (place.ValueBegin) {
        Text.replace(*place.ValueBegin, place.ValueEnd - *place.ValueBegin, Value);
        return Text;
    }
    const std::string newline = Text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    std::string addition;
    if (place.InsertAt > 0 && Text[place.InsertAt - 1] != '\n') {
        addition += newline; // the file's last line has no line break
    }
    if (!place.SectionFound) {
        addition += "[" + std::string(Section) + "]" + newline;
    }
    addition += std::string(Key) + "=" + std::string(Value) + newline;
    Text.insert(place.InsertAt, addition);
    return Text;
}

} // namespace

void WriteIniString(const std::string& Path, std::string_view Section, std::string_view Key,
                    std::string_view Value) {
    // Programs started side by side each change a key: the folder's lock makes
    // every read-change-write whole, so no change is lost.
    std::optional<FileLock> lock;
    try {
        lock.emplace(FolderOf(Path));
    } catch (const std::system_error&) {
        Fail(Path);
    }
    const std::optional<std::string> before = ReadSettingsFile(Path);
    const std::string text = WithValue(before.value_or(std::string()), Section, Key, Value);
    if (before && text == *before) {
        return; // nothing to change, so nothing to write: a read-only folder is fine
    }
    // A new file renamed over the old one: a reader (or a crash) sees the whole
    // old file or the whole new one, never a torn line.
    try {
        FileStream out(Path);
        out.Write(std::as_bytes(std::span(text.data(), text.size())));
        out.Finish();
    } catch (const std::system_error&) {
        Fail(Path);
    }
}

std::optional<std::string> ReadIniString(const std::string& Path, std::string_view Section,
                                         std::string_view Key) {
    // No lock: a writer renames a whole new file over the old one.
    const std::optional<std::string> text = ReadSettingsFile(Path);
    if (!text) {
        return std::nullopt;
    }
    const KeyPlace place = FindKey(*text, Section, Key);
    if (!place.ValueBegin) {
        return std::nullopt;
    }
    return std::string(TrimBlanks(
        std::string_view(*text).substr(*place.ValueBegin, place.ValueEnd - *place.ValueBegin)));
}

} // namespace kestrune::platform
