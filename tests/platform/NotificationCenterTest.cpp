#include "platform/NotificationCenter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corkwallery::platform {
namespace {

TEST(NotificationCenter, DeliversSynchronouslyByNameAndSender) {
    NotificationCenter center;
    const NotificationName changed("changed");
    const NotificationName removed("removed");
    int a = 0, b = 0;
    std::vector<std::string> seen;
    center.addObserver(&seen, changed, nullptr, [&](const Notification& n) {
        seen.push_back("any:" + n.name.text() + (n.object == &a ? ":a" : ":b"));
    });
    center.addObserver(&seen, removed, &a, [&](const Notification&) { seen.push_back("from-a"); });

    center.post(changed, &a);
    center.post(removed, &b);  // not from a: ignored
    center.post(removed, &a);
    center.post(NotificationName("changed"), &b);  // names compare by text

    EXPECT_EQ(seen, (std::vector<std::string>{"any:changed:a", "from-a", "any:changed:b"}));
}

TEST(NotificationCenter, ObserverMayRemoveRegistrationsDuringDelivery) {
    NotificationCenter center;
    const NotificationName name("n");
    int first = 0, second = 0, calls = 0;
    center.addObserver(&first, name, nullptr, [&](const Notification&) {
        ++calls;
        center.removeObserver(&first);
        center.removeObserver(&second);
    });
    center.addObserver(&second, name, nullptr, [&](const Notification&) { ++calls; });
    center.post(name, nullptr);
    center.post(name, nullptr);
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace corkwallery::platform
