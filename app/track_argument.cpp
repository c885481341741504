#include "app/track_argument.h"

#include <charconv>
#include <exception>

namespace kestrune {

std::string CharactersOf(std::string_view Text, std::size_t First, std::size_t Count) {
    if (First == 0 || First > Text.size()) {
        return {};
    }
    return std::string(Text.substr(First - 1, Count));
}

int StrToInt(std::string_view Text) {
    const auto refuse = [&] {
        return EConvertError("'" + std::string(Text) + "' is not a valid integer value");
    };
    std::string_view rest = Text;
    while (!rest.empty() && rest.front() == ' ') {
        rest.remove_prefix(1);
    }
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    if (rest.empty() || rest.front() < '0' || rest.front() > '9') {
        throw refuse();
    }
    long long value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (error != std::errc() || end != rest.data() + rest.size()) {
        throw refuse();
    }
    value = negative ? -value : value;
    if (value < -2147483648LL || value > 2147483647LL) {
        throw refuse();
    }
    return static_cast<int>(value);
}

} // namespace kestrune
