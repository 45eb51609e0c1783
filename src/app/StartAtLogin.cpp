#include "app/StartAtLogin.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <utility>

#include "platform/Files.h"
#include "platform/Log.h"

namespace corkwallery::StartAtLogin {

namespace {

// The key that tells our entry from one the user wrote.
constexpr char kMarker[] = "X-Corkwallery-Autostart=true\n";

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

bool isOurs(const std::string& file) {
    const auto text = platform::files::readFile(file);
    return text && text.value().find(std::string("\n") + kMarker) != std::string::npos;
}

}  // namespace

QString entryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/" CORKWALLERY_APP_ID ".desktop");
}

bool isEnabled() {
    return QFile::exists(entryPath());
}

bool setEnabled(bool enabled, const QString& binary) {
    const QString path = entryPath();
    const std::string file = QFile::encodeName(path).toStdString();
    const bool present = QFile::exists(path);
    if (present && !isOurs(file)) {
        platform::log("Start at Login: " + file +
                      " was not written by Corkwallery \u2014 leaving it as it is");
        return false;
    }
    if (!enabled) {
        if (!present)
            return true;
        QFile entry(path);
        if (!entry.remove()) {
            platform::log("ERROR removing the Start at Login entry: " + file + ": " +
                          entry.errorString().toStdString());
            return false;
        }
        platform::log("Start at Login: removed " + file);
        return true;
    }
    const std::string entry = "[Desktop Entry]\nType=Application\nName=Corkwallery\nExec=" +
                              execValue(binary).toStdString() +
                              "\nIcon=" CORKWALLERY_APP_ID "\nX-GNOME-Autostart-enabled=true\n" +
                              kMarker;
    platform::files::createFolder(QFile::encodeName(QFileInfo(path).path()).toStdString());
    const auto written = platform::files::writeAtomically(file, entry);
    if (!written) {
        platform::log("ERROR writing the Start at Login entry: " + written.error());
        return false;
    }
    platform::log("Start at Login: wrote " + file);
    return true;
}

}  // namespace corkwallery::StartAtLogin
