#include "app/PhotoChooser.h"

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <filesystem>

#include "support/Polling.h"
#include "support/PrivateBus.h"
#include "support/TemporaryHome.h"

namespace corkwallery {
namespace {

// Plays xdg-desktop-portal: answers the probe of its FileChooser, keeps what OpenFile was given,
// and answers each request at once with `response` and `uris`.
struct StandInPortal : QDBusVirtualObject {
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() == "Get")
            return connection.send(message.createReply(QVariant::fromValue(QDBusVariant(4u))));
        title = message.arguments().value(1).toString();
        options = qdbus_cast<QVariantMap>(message.arguments().value(2));
        const QString request = "/org/freedesktop/portal/desktop/request/" +
                                message.service().mid(1).replace('.', '_') + "/" +
                                options["handle_token"].toString();
        QDBusMessage answer =
            QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response");
        answer << response << QVariantMap{{"uris", uris}};
        return connection.send(
                   message.createReply(QVariant::fromValue(QDBusObjectPath(request)))) &&
               connection.send(answer);
    }
    uint response = 0;
    QStringList uris;
    QString title;
    QVariantMap options;
};

// Where the session bus has the portal, the chooser is the desktop's: what it asks for, and the
// files it gives back as the file system's bytes, a name that is not UTF-8 too; nothing when the
// user cancels or the portal ends the request otherwise.
TEST(app, PhotoChooserAsksTheDesktopsPortal) {
    testing::TemporaryHome home;
    const std::filesystem::path pictures = home.root() / "home/Pictures";
    std::filesystem::create_directory(pictures);
    const testing::PrivateBus bus;
    StandInPortal portal;
    ASSERT_TRUE(bus.offer("portal", "org.freedesktop.portal.Desktop",
                          "/org/freedesktop/portal/desktop", &portal));
    const std::vector<std::string> files{(pictures / "caf\xE9 au lait.png").string(),
                                         (pictures / "b.jpg").string()};
    for (const std::string& file : files)
        portal.uris << "file://" + QByteArray::fromStdString(file).toPercentEncoding("/");

    PhotoChooser chooser(QDBusConnection::connectToBus(bus.address(), "chooser"));
    ASSERT_TRUE(testing::waitUntil([&] { return chooser.usesPortal(); }));
    const std::pair<uint, std::vector<std::string>> cases[] = {{0, files}, {1, {}}, {2, {}}};
    for (const auto& [response, chosen] : cases) {
        portal.response = response;
        EXPECT_EQ(chooser.choose(), chosen) << response;
    }
    EXPECT_EQ(std::tuple(portal.title.toStdString(),
                         portal.options["accept_label"].toString().toStdString(),
                         portal.options["multiple"].toBool(),
                         portal.options["current_folder"].toByteArray()),
              std::tuple(std::string("Choose a photo to pin to your desktop"),
                         std::string("Pin to Desktop"), true, QByteArray(pictures.c_str()) + '\0'));
    // One filter, "Images", of the decoder's MIME types.
    using Filter = std::pair<QString, QList<std::pair<uint, QString>>>;
    const auto filters = qdbus_cast<QList<Filter>>(portal.options["filters"]);
    ASSERT_EQ(filters.size(), 1);
    const auto& [name, types] = filters[0];
    EXPECT_EQ(std::tuple(name.toStdString(), types.contains({1u, "image/jpeg"}),
                         types.contains({1u, "image/webp"}), types.contains({1u, "image/svg+xml"})),
              std::tuple(std::string("Images"), true, true, false));
    QDBusConnection::disconnectFromBus("chooser");
    QDBusConnection::disconnectFromBus("portal");
}

}  // namespace
}  // namespace corkwallery
