#pragma once

#include <QString>

#include "platform/Result.h"

// The user's XDG autostart entry for the program ($XDG_CONFIG_HOME/autostart/<app id>.desktop),
// which desktop sessions read at login. Only an entry carrying our marker key is ever replaced or
// deleted: one the user wrote is left alone, with a log line.
namespace corkwallery::StartAtLogin {

QString entryPath();
// Whether the session will start the program: an autostart entry of that name is there, ours or the
// user's, and no desktop setting switched it off (Hidden=true, X-GNOME-Autostart-enabled=false).
bool isEnabled();
// Writes our entry, starting `binary` (an absolute path), anew (so switched on again), or deletes
// it, with a log line either way. Fails when the file could not be written or deleted (Io), or
// belongs to the user (Invalid: it lacks our marker key).
platform::Result<void> setEnabled(bool enabled, const QString& binary);

}  // namespace corkwallery::StartAtLogin
