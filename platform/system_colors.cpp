#include "platform/system_colors.h"

#include <QColor>
#include <QPalette>

#include <array>
#include <optional>

namespace kestrune::platform {

namespace {

struct SystemRole {
    QPalette::ColorGroup Group;
    QPalette::ColorRole Role;
};

// By system colour index. The desktop's palette is the nearest thing the
// window system has to the system colour table.
constexpr std::array<std::optional<SystemRole>, 25> SystemRoles = {{
    SystemRole{QPalette::Active, QPalette::Mid},               // scroll bar
    SystemRole{QPalette::Active, QPalette::Dark},              // desktop background
    SystemRole{QPalette::Active, QPalette::Highlight},         // active caption
    SystemRole{QPalette::Inactive, QPalette::Highlight},       // inactive caption
    SystemRole{QPalette::Active, QPalette::Window},            // menu
    SystemRole{QPalette::Active, QPalette::Base},              // window
    SystemRole{QPalette::Active, QPalette::Shadow},            // window frame
    SystemRole{QPalette::Active, QPalette::WindowText},        // menu text
    SystemRole{QPalette::Active, QPalette::Text},              // window text
    SystemRole{QPalette::Active, QPalette::HighlightedText},   // caption text
    SystemRole{QPalette::Active, QPalette::Button},            // active border
    SystemRole{QPalette::Inactive, QPalette::Button},          // inactive border
    SystemRole{QPalette::Active, QPalette::Dark},              // application work space
    SystemRole{QPalette::Active, QPalette::Highlight},         // highlight
    SystemRole{QPalette::Active, QPalette::HighlightedText},   // highlighted text
    SystemRole{QPalette::Active, QPalette::Button},            // button face
    SystemRole{QPalette::Active, QPalette::Dark},              // button shadow
    SystemRole{QPalette::Disabled, QPalette::Text},            // grey text
    SystemRole{QPalette::Active, QPalette::ButtonText},        // button text
    SystemRole{QPalette::Inactive, QPalette::HighlightedText}, // inactive caption text
    SystemRole{QPalette::Active, QPalette::Light},             // button highlight
    SystemRole{QPalette::Active, QPalette::Shadow},            // 3-D dark shadow
    SystemRole{QPalette::Active, QPalette::Midlight},          // 3-D light
    SystemRole{QPalette::Active, QPalette::ToolTipText},       // tooltip text
    SystemRole{QPalette::Active, QPalette::ToolTipBase},       // tooltip background
}};

constexpr TColor UnknownSystemColor = RGBColor(128, 128, 128);

} // namespace

TColor ResolveColor(TColor Color, const QPalette& Palette) {
    if (!IsSystemColor(Color)) {
        return Color;
    }
    const auto index = static_cast<std::size_t>(Color & 0xFF);
    if (index >= SystemRoles.size() || !SystemRoles[index]) {
        return UnknownSystemColor;
    }
    const QColor colour = Palette.color(SystemRoles[index]->Group, SystemRoles[index]->Role);
    return RGBColor(colour.red(), colour.green(), colour.blue());
}

QColor ToQColor(TColor Rgb) {
    const auto value = static_cast<std::uint32_t>(Rgb);
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

} // namespace kestrune::platform
