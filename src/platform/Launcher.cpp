#include "platform/Launcher.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "platform/Files.h"
#include "platform/Log.h"

namespace corkwallery::platform::launcher {

Result<void> openFile(const std::string& path) {
    log("Opening " + path);
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(files::toQt(path))))
        return Result<void>::success();
    const Error error{Error::Kind::Io, "no application opens " + path};
    log("ERROR: " + error.message);
    return error;
}

void showInFileManager(const std::string& path) {
    log("Showing " + path + " in the file manager");
    QDBusMessage show = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    show << QStringList{QUrl::fromLocalFile(files::toQt(path)).toString(QUrl::FullyEncoded)}
         << QString();
    auto* call = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(show));
    QObject::connect(call, &QDBusPendingCallWatcher::finished, [call, path] {
        call->deleteLater();
        if (!call->isError())
            return;
        log("   No file manager answers (" + call->error().message().toStdString() +
            ") \u2014 opening its folder");
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(files::toQt(path)).absolutePath()));
    });
}

}  // namespace corkwallery::platform::launcher
