#pragma once

#include <stdexcept>
#include <string>

namespace discread {

// A failure whose message says, for the user, what went wrong.
class ImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text of the calling thread's last failed entry point; every entry point
// clears it first, so it always describes the call that just returned.
void ClearLastError();
void SetLastError(std::string Text);
const std::string& LastError();

} // namespace discread
