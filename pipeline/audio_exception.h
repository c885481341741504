#pragma once

#include <stdexcept>
#include <string>

namespace kestrune {

// Raised by every pipeline component; carries only its message text.
class EAudioException : public std::runtime_error {
public:
    explicit EAudioException(const std::string& Message) : std::runtime_error(Message) {}
};

} // namespace kestrune
