#include "platform/shell_open.h"

#include <QDesktopServices>

namespace kestrune::platform {

QUrl ShellAddress(const QUrl& Address) {
    // Without a scheme the desktop's opener takes "www.host" for a file name
    // relative to wherever it runs.
    const QString written = Address.toString();
    if (Address.scheme().isEmpty() && written.startsWith("www.", Qt::CaseInsensitive)) {
        return QUrl("http://" + written);
    }
    return Address;
}

void ShellOpen(const QUrl& Address) {
    QDesktopServices::openUrl(ShellAddress(Address));
}

} // namespace kestrune::platform
