#include "tray/tray_icon_handler.h"

#include "platform/tray_shell.h"
#include "tray/tray_icon.h"

#include <memory>
#include <vector>

namespace kestrune {

namespace {

std::unique_ptr<TTrayIconHandler>& SharedHandler() {
    static std::unique_ptr<TTrayIconHandler> handler;
    return handler;
}

std::uint32_t NextTrayIconId() {
    static std::uint32_t last = 0;
    return ++last;
}

} // namespace

TTrayIconHandler* TTrayIconHandler::SharedTrayWindow() {
    return SharedHandler().get();
}

bool TTrayIconHandler::event(QEvent* Event) {
    if (Event->type() == platform::TrayNotifyEvent::EventType()) {
        const auto& notification = static_cast<const platform::TrayNotifyEvent&>(*Event);
        const auto found = FIcons.find(notification.Id());
        if (notification.Message() == TrayCallbackMessage && found != FIcons.end()) {
            ++FDispatching;
            found->second->TrayMessage(notification.Code());
            --FDispatching;
        }
        return true;
    }
    const bool created = Event->type() == platform::TaskbarCreatedEventType();
    if (created || Event->type() == platform::TrayGoneEventType()) {
        // By id, looked up again each time: an icon may go while another reacts.
        std::vector<std::uint32_t> ids;
        for (const auto& [id, icon] : FIcons) {
            ids.push_back(id);
        }
        ++FDispatching;
        for (const std::uint32_t id : ids) {
            const auto found = FIcons.find(id);
            if (found == FIcons.end()) {
                continue;
            }
            if (created) {
                found->second->TaskbarCreated();
            } else {
                found->second->TrayGone();
            }
        }
        --FDispatching;
        return true;
    }
    return QObject::event(Event);
}

std::uint32_t AcquireTrayWindow(TTrayIcon& Icon) {
    auto& handler = SharedHandler();
    if (!handler) {
        handler = std::make_unique<TTrayIconHandler>();
    }
    const std::uint32_t id = NextTrayIconId();
    handler->FIcons.emplace(id, &Icon);
    return id;
}

void ReleaseTrayWindow(std::uint32_t Id) {
    auto& handler = SharedHandler();
    if (!handler) {
        return;
    }
    handler->FIcons.erase(Id);
    if (handler->FIcons.empty()) {
        if (handler->FDispatching > 0) {
            handler.release()->deleteLater();
        } else {
            handler.reset();
        }
    }
}

} // namespace kestrune
