#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace kestrune {

// Characters First to First + Count - 1 of Text, counted from 1; shorter or
// empty where Text ends sooner.
std::string CharactersOf(std::string_view Text, std::size_t First, std::size_t Count);

// The standard string-to-integer conversion: optional leading blanks, an
// optional sign, then decimal digits and nothing after them ("1." and "1 " are
// refused, " 7" gives 7). Raises EConvertError "'%s' is not a valid integer
// value" with Text in place of %s.
int StrToInt(std::string_view Text);

class EConvertError : public std::exception {
public:
    explicit EConvertError(std::string AMessage) : FMessage(std::move(AMessage)) {}
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

} // namespace kestrune
