#pragma once

#include <string>

#include "platform/Result.h"

// Hands files to the desktop: to the user's default application, or to the file manager.
namespace corkwallery::platform::launcher {

// Opens the file in the application the desktop opens its type with, logging "Opening <path>", or
// "ERROR: no application opens <path>" when none could be started.
Result<void> openFile(const std::string& path);

// Shows the file selected in the file manager (org.freedesktop.FileManager1 on the session bus);
// where none answers, opens the folder that holds it.
void showInFileManager(const std::string& path);

}  // namespace corkwallery::platform::launcher
