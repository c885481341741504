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
    const std::optional<std::string> read = ReadSettingsFile(Path);
    const bool existed = read.has_value();
    std::string text = read.value_or(std::string());
    const std::string before = text;
    const std::string_view newline = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    const auto lines = SplitLines(text);

    std::optional<std::size_t> sectionLine;
    std::size_t insertAt = text.size(); // where a missing key goes
    bool done = false;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        const std::string_view line(text.data() + lines[i].Begin, lines[i].End - lines[i].Begin);
        if (const auto name = SectionName(line)) {
            if (sectionLine) {
                break; // the next section begins: the key was not in ours
            }
            if (SameText(*name, Section)) {
                sectionLine = i;
                insertAt = lines[i].Next;
            }
            continue;
        }
        if (!sectionLine) {
            continue;
        }
        const auto equals = line.find('=');
        if (equals != std::string_view::npos && SameText(TrimBlanks(line.substr(0, equals)), Key)) {
            // Keep the spacing after '='; replace only the value itself.
            std::size_t from = lines[i].Begin + equals + 1;
            while (from < lines[i].End && IsBlank(text[from])) {
                ++from;
            }
            text.replace(from, lines[i].End - from, Value);
            done = true;
        } else if (!TrimBlanks(line).empty()) {
            insertAt = lines[i].Next;
        }
    }
    if (!done) {
        std::string addition;
        if (insertAt > 0 && text[insertAt - 1] != '\n') {
            addition += newline; // the file's last line has no line break
        }
        if (!sectionLine) {
            addition += "[" + std::string(Section) + "]" + std::string(newline);
        }
        addition += std::string(Key) + "=" + std::string(Value) + std::string(newline);
        text.insert(insertAt, addition);
    }

    if (text == before && existed) {
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

} // namespace kestrune::platform
