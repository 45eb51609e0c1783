#include "platform/x11/QtConnection.h"

#include <QGuiApplication>

namespace corkwallery::platform::x11 {

xcb_connection_t* qtConnection() {
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application == nullptr)
        return nullptr;
    auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

}  // namespace corkwallery::platform::x11
