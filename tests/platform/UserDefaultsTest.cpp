#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <QSettings>

#include "support/TemporaryHome.h"

namespace corkwallery::platform {
namespace {

TEST(UserDefaultsTest, AbsentReadsFalseAndAWriteIsOnDiskForTheNextSettingsObject) {
    {
        testing::TemporaryHome home;
        UserDefaults& defaults = UserDefaults::standard();
        EXPECT_FALSE(defaults.boolForKey("hasAddedFirstPhoto"));
        defaults.setBool(true, "hasAddedFirstPhoto");
        EXPECT_TRUE(defaults.boolForKey("hasAddedFirstPhoto"));
        EXPECT_FALSE(defaults.boolForKey("somethingElse"));

        // What a restarted application reads.
        const QSettings other(QString::fromStdString((home.root() / "config").string()) +
                                  QStringLiteral("/Corkwallery/Corkwallery.conf"),
                              QSettings::IniFormat);
        EXPECT_TRUE(other.value(QStringLiteral("hasAddedFirstPhoto")).toBool());
    }
    // Another user's home starts afresh.
    testing::TemporaryHome other;
    EXPECT_FALSE(UserDefaults::standard().boolForKey("hasAddedFirstPhoto"));
}

}  // namespace
}  // namespace corkwallery::platform
