#pragma once

namespace corkwallery::platform {

// Groups layer changes: changes made between begin() and the matching commit() reach the screen
// together, in one display pass. Layers here never animate a property change by themselves; the
// disable-actions flag records that a transaction asks for none.
class Transaction {
public:
    static void begin();
    static void commit();
    static void setDisableActions(bool disable);
    static bool disableActions();
    static bool isOpen();
};

}  // namespace corkwallery::platform
