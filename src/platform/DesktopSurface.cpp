#include "platform/DesktopSurface.h"

#include <QWindow>

#include "platform/NullSurface.h"

namespace corkwallery::platform {

namespace {

DesktopSurface::Maker installed;  // empty: null surfaces

}  // namespace

DesktopSurface::DesktopSurface(QWindow* window) : QObject(window), window_(window) {}

DesktopSurface* DesktopSurface::get(QWindow* window) {
    if (window == nullptr)
        return nullptr;
    if (auto* surface = window->findChild<DesktopSurface*>(QString(), Qt::FindDirectChildrenOnly))
        return surface;
    return installed ? installed(window) : new NullSurface(window);
}

void DesktopSurface::install(Maker maker) {
    installed = std::move(maker);
}

}  // namespace corkwallery::platform
