#include "app/PhotoChooser.h"

#include <QCursor>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMimeDatabase>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <utility>

#include "decode/PhotoDecoder.h"
#include "platform/Files.h"
#include "platform/Log.h"

namespace corkwallery {

namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kFileChooser = QStringLiteral("org.freedesktop.portal.FileChooser");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kResponse = QStringLiteral("Response");
const char* const kResponseSlot = SLOT(portalResponded(uint, QVariantMap));
// Long enough for D-Bus to start the portal, and the portal its backend, on a slow login.
constexpr int kProbeTimeoutMs = 10000;
// The portal's answer when the user chose; others end the request without a choice.
constexpr uint kChosen = 0;
// Qt's dialog: the size that shows its columns whole, and the share of the screen it may take.
constexpr QSize kDialogSize(900, 600);
constexpr double kLargestShareOfScreen = 0.8;

// The portal's file filter, (name, [(kind, pattern)]), a kind of 1 naming a MIME type.
using FilterRule = std::pair<uint, QString>;
using Filter = std::pair<QString, QList<FilterRule>>;
constexpr uint kMimeType = 1;

QString pictureFolder() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return !pictures.isEmpty() && QDir(pictures).exists() ? pictures : QString();
}

// One filter that lists every image type the decoder reads, by file name pattern.
QString imageNameFilter() {
    const QMimeDatabase database;
    QStringList patterns;
    for (const QByteArray& name : PhotoDecoder::supportedMimeTypes()) {
        for (const QString& pattern :
             database.mimeTypeForName(QString::fromLatin1(name)).globPatterns()) {
            if (!patterns.contains(pattern))
                patterns.append(pattern);
        }
    }
    patterns.sort();
    //: The chooser's file type: %1 is the list of file name patterns, in parentheses.
    return PhotoChooser::tr("Images (%1)").arg(patterns.join(QLatin1Char(' ')));
}

QVariantMap portalOptions(const QString& token) {
    QList<FilterRule> types;
    for (const QByteArray& name : PhotoDecoder::supportedMimeTypes())
        types.append({kMimeType, QString::fromLatin1(name)});
    QVariantMap options{
        {QStringLiteral("handle_token"), token},
        {QStringLiteral("accept_label"), PhotoChooser::tr("Pin to Desktop")},
        {QStringLiteral("multiple"), true},
        {QStringLiteral("modal"), true},
        //: The file type in the desktop's file chooser.
        {QStringLiteral("filters"),
         QVariant::fromValue(QList<Filter>{{PhotoChooser::tr("Images"), types}})},
    };
    // The folder's bytes, ending in a NUL.
    if (const QString pictures = pictureFolder(); !pictures.isEmpty())
        options.insert(QStringLiteral("current_folder"), QFile::encodeName(pictures).append('\0'));
    return options;
}

// Qt's dialog, large enough for its columns: the names take what the size, type and date leave.
std::vector<std::string> chooseWithDialog() {
    QFileDialog dialog;
    dialog.setWindowTitle(PhotoChooser::tr("Choose a photo to pin to your desktop"));
    dialog.setLabelText(QFileDialog::Accept, PhotoChooser::tr("Pin to Desktop"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setNameFilter(imageNameFilter());
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setViewMode(QFileDialog::Detail);
    if (auto* details = dialog.findChild<QTreeView*>()) {
        details->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        details->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    // On the screen under the pointer, where a dialog without a parent opens.
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen != nullptr)
        dialog.resize(
            kDialogSize.boundedTo(screen->availableGeometry().size() * kLargestShareOfScreen));
    if (const QString pictures = pictureFolder(); !pictures.isEmpty())
        dialog.setDirectory(pictures);
    // The application is never active: the chooser is brought to the user.
    QTimer::singleShot(0, &dialog, [&dialog] {
        dialog.raise();
        dialog.activateWindow();
    });
    std::vector<std::string> files;
    if (dialog.exec() == QDialog::Accepted) {
        for (const QString& file : dialog.selectedFiles())
            files.push_back(platform::files::fromQt(file));
    }
    return files;
}

}  // namespace

PhotoChooser::PhotoChooser(QDBusConnection bus) : bus_(std::move(bus)) {
    qDBusRegisterMetaType<FilterRule>();
    qDBusRegisterMetaType<Filter>();
    qDBusRegisterMetaType<QList<Filter>>();
    // The portal exports the FileChooser only where a backend serves this desktop.
    QDBusMessage probe = QDBusMessage::createMethodCall(
        kPortal, kPortalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    probe << kFileChooser << QStringLiteral("version");
    auto* answer = new QDBusPendingCallWatcher(bus_.asyncCall(probe, kProbeTimeoutMs), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* a) {
        portalAnswered_ = !a->isError();
        a->deleteLater();
    });
}

PhotoChooser::~PhotoChooser() = default;

std::vector<std::string> PhotoChooser::choose() {
    if (choosing_)
        return {};
    choosing_ = true;
    std::optional<std::vector<std::string>> files;
    if (portalAnswered_)
        files = chooseThroughPortal();
    if (!files)
        files = chooseWithDialog();
    choosing_ = false;
    return *files;
}

std::optional<std::vector<std::string>> PhotoChooser::chooseThroughPortal() {
    // The request object's path is known before the call ("<sender>/<token>", the sender's
    // unique name without its colon, dots made underscores): its answer cannot be missed.
    const QString token = QStringLiteral("corkwallery%1").arg(++requests_);
    QString sender = bus_.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    QString request = kPortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    followRequest(request, true);
    QDBusMessage open = QDBusMessage::createMethodCall(kPortal, kPortalPath, kFileChooser,
                                                       QStringLiteral("OpenFile"));
    open << QString() << tr("Choose a photo to pin to your desktop") << portalOptions(token);

    QEventLoop loop;
    waiting_ = &loop;
    response_.reset();
    QString failure;
    QDBusPendingCallWatcher opened(bus_.asyncCall(open));
    connect(&opened, &QDBusPendingCallWatcher::finished, &loop, [&] {
        const QDBusPendingReply<QDBusObjectPath> reply = opened;
        if (reply.isError()) {
            failure = reply.error().message();
            loop.quit();
        } else if (reply.value().path() != request) {
            // A portal older than the request path's rule names it otherwise.
            followRequest(request, false);
            request = reply.value().path();
            followRequest(request, true);
        }
    });
    bool portalGone = false;
    QDBusServiceWatcher watcher(kPortal, bus_, QDBusServiceWatcher::WatchForUnregistration);
    connect(&watcher, &QDBusServiceWatcher::serviceUnregistered, &loop, [&] {
        platform::log("ERROR: the desktop's file chooser went away");
        portalGone = true;
        loop.quit();
    });
    loop.exec();
    waiting_ = nullptr;
    followRequest(request, false);

    if (!failure.isEmpty()) {
        platform::log("ERROR opening the desktop's file chooser: " + failure.toStdString() +
                      " \u2014 using Qt's");
        portalAnswered_ = false;
        return std::nullopt;
    }
    if (!response_) {
        // The program is ending: its chooser goes too.
        QDBusMessage close =
            QDBusMessage::createMethodCall(kPortal, request, kRequest, QStringLiteral("Close"));
        close.setAutoStartService(false);
        if (!portalGone)
            bus_.send(close);
        return std::vector<std::string>();
    }
    const auto& [response, results] = *response_;
    // 1 is Cancel; GTK's chooser answers Escape and its window's close with 2.
    if (response != kChosen)
        return std::vector<std::string>();
    std::vector<std::string> files;
    for (const QString& uri : results.value(QStringLiteral("uris")).toStringList()) {
        if (auto file = platform::files::fromFileUrl(QUrl(uri)))
            files.push_back(std::move(*file));
        else
            platform::log("ERROR: the file chooser gave " + uri.toStdString() +
                          ", not a file on this computer");
    }
    return files;
}

void PhotoChooser::portalResponded(uint response, const QVariantMap& results) {
    response_.emplace(response, results);
    if (waiting_ != nullptr)
        waiting_->quit();
}

void PhotoChooser::followRequest(const QString& request, bool follow) {
    if (follow)
        bus_.connect(kPortal, request, kRequest, kResponse, this, kResponseSlot);
    else
        bus_.disconnect(kPortal, request, kRequest, kResponse, this, kResponseSlot);
}

}  // namespace corkwallery
