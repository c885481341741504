#include "last_error.h"

namespace discread {

namespace {

// Per thread: a chunk read on the worker must not overwrite what the main
// thread is about to show, and the reverse.
std::string& Text() {
    thread_local std::string text;
    return text;
}

} // namespace

void ClearLastError() {
    Text().clear();
}

void SetLastError(std::string Value) {
    Text() = std::move(Value);
}

const std::string& LastError() {
    return Text();
}

} // namespace discread
