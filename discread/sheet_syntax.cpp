#include "sheet_syntax.h"

#include <cctype>

namespace discread {

namespace {

bool IsBlank(char C) {
    return std::isspace(static_cast<unsigned char>(C)) != 0;
}

bool IsDigit(char C) {
    return C >= '0' && C <= '9';
}

bool IsOctal(char C) {
    return C >= '0' && C <= '7';
}

class Tokenizer {
public:
    Tokenizer(std::string_view AText, const SheetSyntax& ASyntax)
        : FText(AText), FSyntax(ASyntax) {}

    std::vector<SheetToken> Run() {
        while (FAt < FText.size()) {
            const char c = FText[FAt];
            if (c == '\n') {
                ++FLine;
                ++FAt;
            } else if (IsBlank(c)) {
                ++FAt;
            } else if (FSyntax.LineComments && FText.substr(FAt).starts_with("//")) {
                const auto newline = FText.find('\n', FAt);
                FAt = newline == std::string_view::npos ? FText.size() : newline;
            } else if (c == '"') {
                Quoted();
            } else if (FSyntax.Marks.find(c) != std::string_view::npos) {
                FTokens.push_back({SheetTokenKind::Mark, std::string(1, c), FLine, false});
                ++FAt;
            } else {
                Word();
            }
        }
        return std::move(FTokens);
    }

private:
    void Quoted() {
        SheetToken token{SheetTokenKind::Quoted, {}, FLine, true};
        ++FAt;
        while (FAt < FText.size() && FText[FAt] != '\n') {
            const char c = FText[FAt];
            if (c == '"') {
                token.Unclosed = false;
                ++FAt;
                break;
            }
            if (FSyntax.QuoteEscapes && c == '\\' && FAt + 1 < FText.size() &&
                FText[FAt + 1] != '\n') {
                ++FAt;
                if (IsOctal(FText[FAt])) {
                    int code = 0;
                    for (int d = 0; d < 3 && FAt < FText.size() && IsOctal(FText[FAt]); ++d) {
                        code = code * 8 + (FText[FAt++] - '0');
                    }
                    token.Text += static_cast<char>(code & 0xFF);
                    continue;
                }
            }
            token.Text += FText[FAt++];
        }
        FTokens.push_back(std::move(token));
    }

    void Word() {
        const std::size_t begin = FAt;
        const bool time = FSyntax.TimesHoldColons && IsDigit(FText[begin]);
        while (FAt < FText.size()) {
            const char c = FText[FAt];
            const bool ends =
                IsBlank(c) || (c == '"' && FSyntax.QuotesEndWords) ||
                (FSyntax.Marks.find(c) != std::string_view::npos && !(c == ':' && time));
            if (ends) {
                break;
            }
            ++FAt;
        }
        FTokens.push_back(
            {SheetTokenKind::Word, std::string(FText.substr(begin, FAt - begin)), FLine, false});
    }

    std::string_view FText;
    const SheetSyntax& FSyntax;
    std::size_t FAt = 0;
    int FLine = 1;
    std::vector<SheetToken> FTokens;
};

} // namespace

std::vector<SheetToken> TokenizeSheet(std::string_view Text, const SheetSyntax& Syntax) {
    return Tokenizer(Text, Syntax).Run();
}

std::string CdTimeRefusal(const std::string& Text, CdTimeFault Fault) {
    return Fault == CdTimeFault::NoSuchTime ? "has the time \"" + Text + "\", which does not exist"
                                            : "has \"" + Text + "\" where a time mm:ss:ff belongs";
}

} // namespace discread
