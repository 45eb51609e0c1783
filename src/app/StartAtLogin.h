#pragma once

#include <QString>

// The user's XDG autostart entry for the program ($XDG_CONFIG_HOME/autostart/<app id>.desktop),
// which desktop sessions read at login. Only an entry carrying our marker key is ever replaced or
// deleted: one the user wrote is left alone, with a log line.
namespace corkwallery::StartAtLogin {

QString entryPath();
// Whether an autostart entry of that name is there, ours or the user's.
bool isEnabled();
// Writes our entry, starting `binary` (an absolute path), or deletes it. False, with a log line,
// when the file could not be written or deleted, or belongs to the user.
bool setEnabled(bool enabled, const QString& binary);

}  // namespace corkwallery::StartAtLogin
