#pragma once

#include <QUrl>

namespace kestrune::platform {

// Asks the desktop to open Address with its default action, resolving it as the
// shell does: an address without a scheme that starts with "www." is a web
// page. What comes of the request is not looked at.
void ShellOpen(const QUrl& Address);

// The address ShellOpen hands to the desktop.
QUrl ShellAddress(const QUrl& Address);

} // namespace kestrune::platform
