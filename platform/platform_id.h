#pragma once

namespace kestrune::platform {

// The platform id a Windows version query reports: 0 Win32s, 1 the Windows 9x
// family, 2 the NT family. Every platform we run on counts as the NT family.
int WindowsPlatformId();

} // namespace kestrune::platform
