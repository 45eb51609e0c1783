#include "platform/JsonValue.h"

namespace corkwallery::platform {

const JsonValue* JsonValue::member(std::string_view key) const {
    const Object& members = asObject();
    for (auto it = members.rbegin(); it != members.rend(); ++it) {
        if (it->first == key)
            return &it->second;
    }
    return nullptr;
}

}  // namespace corkwallery::platform
