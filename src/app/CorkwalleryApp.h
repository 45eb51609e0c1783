#pragma once

namespace corkwallery {

// The program's entry: makes the application and its one controller, and runs until the
// application ends.
class CorkwalleryApp {
public:
    static int main(int argc, char** argv);
};

}  // namespace corkwallery
