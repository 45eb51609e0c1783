#include "app/StartAtLogin.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <map>
#include <sstream>
#include <string_view>
#include <utility>

#include "platform/Files.h"
#include "platform/Log.h"

namespace corkwallery::StartAtLogin {

namespace {

// The key that tells our entry from one the user wrote.
constexpr char kMarkerKey[] = "X-Corkwallery-Autostart";

// Exec quoted as desktop entries require: a path with a reserved character is double-quoted with
// ", `, $ and \ escaped; % is doubled (field codes); then the string value's own escapes apply.
QString execValue(const QString& binary) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString argument;
    bool quote = false;
    for (const QChar c : binary) {
        quote = quote || reserved.contains(c);
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            argument += u'\\';
        argument += c == u'%' ? QStringLiteral("%%") : QString(c);
    }
    if (quote)
        argument = u'"' + argument + u'"';
    for (const auto& [from, to] :
         {std::pair{u'\\', "\\\\"}, {u'\n', "\\n"}, {u'\t', "\\t"}, {u'\r', "\\r"}})
        argument.replace(from, QLatin1String(to));
    return argument;
}

// The keys of an entry's [Desktop Entry] group, values trimmed, the last of a repeated key winning
// as in GLib's reader; other groups and comments are left out. Empty when the file cannot be read.
std::map<std::string, std::string> desktopEntryKeys(const std::string& file) {
    std::map<std::string, std::string> keys;
    const auto text = platform::files::readFile(file);
    if (!text)
        return keys;
    const auto trimmed = [](std::string_view value) {
        const auto first = value.find_first_not_of(" \t");
        const auto last = value.find_last_not_of(" \t\r");
        return first == std::string_view::npos ? std::string()
                                               : std::string(value.substr(first, last - first + 1));
    };
    bool inGroup = false;
    std::istringstream lines(text.value());
    for (std::string line; std::getline(lines, line);) {
        const std::string item = trimmed(line);
        if (item.starts_with('['))
            inGroup = item == "[Desktop Entry]";
        else if (const auto equals = item.find('=');
                 inGroup && !item.starts_with('#') && equals != std::string::npos)
            keys[trimmed(std::string_view(item).substr(0, equals))] =
                trimmed(std::string_view(item).substr(equals + 1));
    }
    return keys;
}

bool isOurs(const std::map<std::string, std::string>& keys) {
    const auto marker = keys.find(kMarkerKey);
    return marker != keys.end() && marker->second == "true";
}

}  // namespace

QString entryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/" CORKWALLERY_APP_ID ".desktop");
}

// Desktop settings switch an entry off by setting either key rather than deleting the file.
bool isEnabled() {
    const QString path = entryPath();
    if (!QFile::exists(path))
        return false;
    const auto keys = desktopEntryKeys(platform::files::fromQt(path));
    const auto is = [&](const char* key, const char* value) {
        const auto found = keys.find(key);
        return found != keys.end() && found->second == value;
    };
    return !is("Hidden", "true") && !is("X-GNOME-Autostart-enabled", "false");
}

platform::Result<void> setEnabled(bool enabled, const QString& binary) {
    using platform::Error;
    const QString path = entryPath();
    const std::string file = platform::files::fromQt(path);
    const bool present = QFile::exists(path);
    if (present && !isOurs(desktopEntryKeys(file))) {
        platform::log("Start at Login: " + file +
                      " was not written by Corkwallery \u2014 leaving it as it is");
        return Error{Error::Kind::Invalid, file + ": not written by Corkwallery"};
    }
    if (!enabled) {
        if (!present)
            return platform::Result<void>::success();
        QFile entry(path);
        if (!entry.remove()) {
            const Error error{Error::Kind::Io, file + ": " + entry.errorString().toStdString()};
            platform::log("ERROR removing the Start at Login entry: " + error.message);
            return error;
        }
        platform::log("Start at Login: removed " + file);
        return platform::Result<void>::success();
    }
    const std::string entry = "[Desktop Entry]\nType=Application\nName=Corkwallery\nExec=" +
                              execValue(binary).toStdString() +
                              "\nIcon=" CORKWALLERY_APP_ID "\nX-GNOME-Autostart-enabled=true\n" +
                              kMarkerKey + "=true\n";
    // A folder that cannot be made fails the write, which says why.
    platform::discard(
        platform::files::createFolder(platform::files::fromQt(QFileInfo(path).path())));
    const auto written = platform::files::writeAtomically(file, entry);
    if (!written) {
        platform::log("ERROR writing the Start at Login entry: " + written.error().message);
        return written.error();
    }
    platform::log("Start at Login: wrote " + file);
    return platform::Result<void>::success();
}

}  // namespace corkwallery::StartAtLogin
