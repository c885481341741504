#pragma once

#include "platform/component.h"

#include <QIcon>

#include <vector>

namespace kestrune {

// A numbered list of images that other components refer to (the tray icon
// cycles through one).
class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

    int Count() const { return static_cast<int>(FImages.size()); }
    void Add(const QIcon& Image) { FImages.push_back(Image); }
    void Clear() { FImages.clear(); }
    // Image Index, or an empty image for an index the list does not hold.
    QIcon GetIcon(int Index) const {
        return Index >= 0 && Index < Count() ? FImages[static_cast<std::size_t>(Index)] : QIcon();
    }

private:
    std::vector<QIcon> FImages;
};

} // namespace kestrune
