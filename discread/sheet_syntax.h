#pragma once

// What the sheet readers (.cue, .toc, and the files a sheet names) share:
// the one tokenizer, and the wording of a bad time.

#include "cd_time.h"

#include <string>
#include <string_view>
#include <vector>

namespace discread {

enum class SheetTokenKind {
    Word,   // a run of characters up to a blank (or a mark, or a quote)
    Quoted, // a quoted name, without its quotes
    Mark,   // one of the dialect's marks, alone
};

struct SheetToken {
    SheetTokenKind Kind = SheetTokenKind::Word;
    std::string Text;
    int Line = 1;
    // A quoted name whose closing quote is missing on its line.
    bool Unclosed = false;
};

// How a kind of sheet writes its tokens.
struct SheetSyntax {
    // "//" starts a comment that runs to the end of the line.
    bool LineComments = false;
    // A backslash in a quoted name takes the next character as it is, or up to
    // three octal digits as one byte.
    bool QuoteEscapes = false;
    // A quote ends a bare word in front of it (else it is part of the word).
    bool QuotesEndWords = false;
    // Characters that are tokens of their own and end a bare word...
    std::string_view Marks;
    // ...except a colon inside a word that starts with a digit (mm:ss:ff).
    bool TimesHoldColons = false;
};

// A cue sheet's words: blanks between them, quotes around names.
inline constexpr SheetSyntax CueSyntax{};

// Splits Text into tokens. Never fails: what a token may be is the reader's to
// judge, and an unclosed quote is marked so that it can say so.
[[nodiscard]] std::vector<SheetToken> TokenizeSheet(std::string_view Text,
                                                    const SheetSyntax& Syntax);

// Why Text is no time, for a reader's "line N ..." message.
[[nodiscard]] std::string CdTimeRefusal(const std::string& Text, CdTimeFault Fault);

} // namespace discread
