#pragma once

#include <string>

// Hands files to the desktop: to the user's default application, or to the file manager.
namespace corkwallery::platform::launcher {

// Opens the file in the application the desktop opens its type with; false when none could be
// started.
bool openFile(const std::string& path);

// Shows the file selected in the file manager (org.freedesktop.FileManager1 on the session bus);
// where none answers, opens the folder that holds it.
void showInFileManager(const std::string& path);

}  // namespace corkwallery::platform::launcher
