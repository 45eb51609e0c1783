#include "platform/UserDefaults.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace corkwallery::platform {

namespace {

// The file QSettings("Corkwallery", "Corkwallery") uses, located anew at each use: QSettings
// itself remembers the configuration folder it saw first, so a changed XDG_CONFIG_HOME would not
// count.
QString settingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Corkwallery/Corkwallery.conf");
}

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

UserDefaults& UserDefaults::standard() {
    static UserDefaults instance;
    return instance;
}

bool UserDefaults::boolForKey(std::string_view key) const {
    const QSettings settings(settingsFile(), QSettings::IniFormat);
    // The file holds text: what setBool wrote reads back as "true"; "1" counts too.
    const QString value = settings.value(toQString(key)).toString().trimmed().toLower();
    return value == QStringLiteral("true") || value == QStringLiteral("1");
}

void UserDefaults::setBool(bool value, std::string_view key) {
    QSettings settings(settingsFile(), QSettings::IniFormat);
    if (settings.contains(toQString(key)) && boolForKey(key) == value)
        return;
    // A write cut short by a crash leaves QSettings' lock file behind, which would stall this one
    // for half a minute. One copy of the program runs per user, so such a lock is always stale.
    QFile::remove(settingsFile() + QStringLiteral(".lock"));
    settings.setValue(toQString(key), value);
    settings.sync();
}

}  // namespace corkwallery::platform
