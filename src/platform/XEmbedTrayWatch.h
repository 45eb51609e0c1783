#pragma once

#include "platform/x11/SelectionWatch.h"

namespace corkwallery::platform {

// Whether an X11 system tray (trayer, a panel's notification area) can show tray icons: an owner
// of the selection _NET_SYSTEM_TRAY_S<screen>, followed as trays come and go. Off X11 there is
// never one.
class XEmbedTrayWatch final : public x11::SelectionWatch {
public:
    explicit XEmbedTrayWatch(QObject* parent) : SelectionWatch("_NET_SYSTEM_TRAY_S", parent) {}
};

}  // namespace corkwallery::platform
