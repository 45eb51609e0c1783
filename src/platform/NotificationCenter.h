#pragma once

#include <functional>
#include <string>
#include <vector>

namespace corkwallery::platform {

// A notification name, made once from its string and compared by that string.
class NotificationName {
public:
    explicit NotificationName(std::string text) : text_(std::move(text)) {}
    const std::string& text() const { return text_; }
    friend bool operator==(const NotificationName&, const NotificationName&) = default;

private:
    std::string text_;
};

struct Notification {
    const NotificationName& name;
    const void* object;  // the poster's identity; may be null
};

// Synchronous notifications: post() calls every matching observer, on the posting thread,
// before it returns. The one process-wide instance is defaultCenter().
class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    // Observes `name`; a null `sender` means from any sender.
    void addObserver(const void* observer, const NotificationName& name, const void* sender,
                     Handler handler);
    void removeObserver(const void* observer);
    void post(const NotificationName& name, const void* object);

private:
    struct Registration {
        const void* observer;
        std::string name;
        const void* sender;
        Handler handler;
        unsigned long id;
    };
    std::vector<Registration> registrations_;
    unsigned long nextId_ = 0;
};

}  // namespace corkwallery::platform
