#include "platform/NotificationCenter.h"

#include <algorithm>

namespace corkwallery::platform {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(const void* observer, const NotificationName& name,
                                     const void* sender, Handler handler) {
    registrations_.push_back({observer, name.text(), sender, std::move(handler), nextId_++});
}

void NotificationCenter::removeObserver(const void* observer) {
    std::erase_if(registrations_, [&](const Registration& r) { return r.observer == observer; });
}

void NotificationCenter::post(const NotificationName& name, const void* object) {
    // Observers may add or remove registrations while being called: walk a snapshot of ids and
    // skip any that were removed in the meantime.
    std::vector<unsigned long> ids;
    for (const auto& r : registrations_) {
        if (r.name == name.text() && (r.sender == nullptr || r.sender == object))
            ids.push_back(r.id);
    }
    const Notification notification{name, object};
    for (unsigned long id : ids) {
        auto it = std::find_if(registrations_.begin(), registrations_.end(),
                               [&](const Registration& r) { return r.id == id; });
        if (it == registrations_.end())
            continue;
        Handler handler = it->handler;  // the registration may vanish during the call
        handler(notification);
    }
}

}  // namespace corkwallery::platform
