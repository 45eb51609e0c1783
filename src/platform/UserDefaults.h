#pragma once

#include <string_view>

namespace corkwallery::platform {

// The user's settings for Corkwallery, kept in QSettings (organisation and application
// "Corkwallery", so ~/.config/Corkwallery/Corkwallery.conf). Every write reaches the disk before
// it returns, so values survive a restart or a crash.
class UserDefaults {
public:
    static UserDefaults& standard();

    // An absent key, or one that holds no Boolean, reads as false.
    bool boolForKey(std::string_view key) const;
    void setBool(bool value, std::string_view key);
};

}  // namespace corkwallery::platform
