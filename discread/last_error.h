#pragma once

#include "image_error.h"

#include <string>

namespace discread {

// The text of the calling thread's last failed entry point; every entry point
// clears it first, so it always describes the call that just returned.
void ClearLastError();
void SetLastError(std::string Text);
const std::string& LastError();

} // namespace discread
