#include "platform/OpenPanel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "support/TemporaryHome.h"

namespace corkwallery::platform {
namespace {

// Runs the chooser with our texts while `driver` plays the user.
std::optional<std::string> choose(std::function<void(QFileDialog&)> driver) {
    OpenPanel::setModalDriver(std::move(driver));
    OpenPanel panel;
    panel.setMessage("Choose a photo to pin to your desktop");
    panel.setPrompt("Pin to Desktop");
    std::optional<std::string> chosen = panel.runModal();
    OpenPanel::setModalDriver({});
    return chosen;
}

TEST(OpenPanelTest, ModalChooserForOneImageFileThatCancelsToNothing) {
    bool driven = false;
    const auto chosen = choose([&](QFileDialog& dialog) {
        driven = true;
        EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Choose a photo to pin to your desktop"));
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        const QStringList filters = dialog.nameFilters();
        ASSERT_EQ(filters.size(), 1);
        for (const char* pattern : {"*.png", "*.jpg", "*.jpeg", "*.gif", "*.bmp"})
            EXPECT_TRUE(filters[0].contains(QString::fromLatin1(pattern))) << pattern;
        for (const char* pattern : {"*.txt", "*.svg", "*.svgz"})  // SVG is never decoded
            EXPECT_FALSE(filters[0].contains(QString::fromLatin1(pattern))) << pattern;
        dialog.reject();
    });
    EXPECT_TRUE(driven);
    EXPECT_FALSE(chosen.has_value());
}

TEST(OpenPanelTest, ConfirmingAFileReturnsItsPathAndADirectoryCannotBeChosen) {
    testing::TemporaryHome home;
    const std::filesystem::path folder = home.root() / "home" / "Bilder – Sommer";
    std::filesystem::create_directories(folder / "Album");
    const std::pair<std::filesystem::path, bool> picks[] = {
        {folder / "beach.png", true},
        {folder / "Strand ä é 海.jpg", true},
        {folder / "Album", false},
    };
    for (const auto& [pick, isFile] : picks) {
        SCOPED_TRACE(pick.string());
        if (isFile)
            std::ofstream(pick) << "any bytes";
        const auto chosen = choose([&](QFileDialog& dialog) {
            dialog.selectFile(QString::fromStdString(pick.string()));
            // The confirm button reads "Open" while a folder is selected.
            QPushButton* confirm =
                dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);
            EXPECT_EQ(confirm->text() == QStringLiteral("Pin to Desktop"), isFile);
            confirm->click();
        });
        EXPECT_EQ(chosen, isFile ? std::optional(pick.string()) : std::nullopt);
    }
}

}  // namespace
}  // namespace corkwallery::platform
