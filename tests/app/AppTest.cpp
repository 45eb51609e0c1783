#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "app/AppDelegate.h"
#include "store/StateFileCodec.h"
#include "support/CapturedLog.h"
#include "support/Polling.h"
#include "support/TemporaryHome.h"

namespace corkwallery {
namespace {

namespace fs = std::filesystem;

void writePicture(const fs::path& file) {
    fs::create_directories(file.parent_path());
    QImage picture(60, 40, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    ASSERT_TRUE(picture.save(QString::fromStdString(file.string())));
}

QVariant hasAddedFirstPhoto() {
    return QSettings("Corkwallery", "Corkwallery").value("hasAddedFirstPhoto");
}

// A home of its own, whose user defaults QSettings reads too (it keeps the first folder it saw),
// and a delegate launched in it with saved pins, some of their copies, and the user default.
struct App : testing::TemporaryHome {
    explicit App(int pins = 0, int copies = 0, bool addedBefore = false) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString((root() / "config").string()));
        if (addedBefore)
            QSettings("Corkwallery", "Corkwallery").setValue("hasAddedFirstPhoto", true);
        std::vector<PinnedPhotoState> records;
        for (int i = 0; i < pins; ++i) {
            const std::string name = "P" + std::to_string(i) + ".png";
            records.push_back({name, "", 300.0 + 200 * i, 400, 60, 40, 0.05, "red", false});
            if (i < copies)
                writePicture(dataHome() / "Corkwallery/images" / name);
        }
        if (pins > 0)
            std::ofstream(stateFile()) << StateFileCodec::encode(records).value();
        testing::CapturedLog log;
        delegate.applicationDidFinishLaunching();
        launchLines = log.lines();
    }
    std::string stateFile() const {
        return (dataHome() / "Corkwallery/pinned-photos.json").string();
    }
    std::vector<PinnedPhotoState> saved() const {
        std::ifstream in(stateFile());
        return StateFileCodec::decode(std::string(std::istreambuf_iterator<char>(in), {})).value();
    }
    void command(const QString& title) {
        for (QAction* action : delegate.statusItem()->menu()->actions()) {
            if (action->text() == title)
                return action->trigger();
        }
        ADD_FAILURE() << title.toStdString();
    }

    AppDelegate delegate;
    std::vector<std::string> launchLines;
};

// Plays the user in the file chooser that opens while the returned timer lives.
std::unique_ptr<QTimer> answerChooser(std::function<void(QFileDialog&)> answer) {
    auto poll = std::make_unique<QTimer>();
    QObject::connect(poll.get(), &QTimer::timeout, [timer = poll.get(), answer] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            answer(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        }
    });
    poll->start(5);
    return poll;
}

TEST(app, LaunchGreetsOnlyAUserWhoNeverPinnedAPhoto) {
    struct Case {
        const char* name;
        int pins, copies;
        bool addedBefore, welcome;
    } const cases[] = {
        {"new user", 0, 0, false, true},
        {"user who removed every pin", 0, 0, true, false},
        {"pin restored", 2, 1, false, false},
        {"no pin could be restored", 1, 0, false, true},
        {"no pin could be restored, one added before", 1, 0, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        App app(c.pins, c.copies, c.addedBefore);
        EXPECT_EQ(app.delegate.pins().pinWindows().size(), static_cast<std::size_t>(c.copies));
        EXPECT_EQ(hasAddedFirstPhoto().toBool(), c.addedBefore || c.copies > 0);
        EXPECT_EQ(app.delegate.helpPanel(), nullptr);
        // The offscreen platform has no tray: the corner card stands in, and the welcome says so.
        EXPECT_TRUE(app.delegate.statusItem()->isFallbackCardShown());
        ASSERT_EQ(app.delegate.welcomePanel() != nullptr, c.welcome);
        EXPECT_TRUE(!c.welcome || app.delegate.welcomePanel()->bodyLabel()->text() ==
                                      "Click the pin card in the top-right corner\nto add your "
                                      "first photo.");
        if (c.pins == 0) {  // the launch logs nothing of its own
            EXPECT_EQ(app.launchLines,
                      (std::vector<std::string>{
                          "[Corkwallery] loadState() \u2014 looking for: " + app.stateFile(),
                          "[Corkwallery]   File does not exist \u2014 returning empty",
                          "[Corkwallery] restorePinnedPhotos() \u2014 0 state(s) to restore"}));
        }
    }
}

// How to Use toggles the help card, whose button closes it too; the chooser pins photos (and
// nothing when cancelled), closing the cards; a photo's own menu and the tray menu remove them.
TEST(app, CardsAndPhotosComeAndGoThroughTheirMenus) {
    App app;
    const InfoCard* welcome = app.delegate.welcomePanel();
    for (const bool open : {true, false, true}) {
        app.command("How to Use");
        ASSERT_EQ(app.delegate.helpPanel() != nullptr, open);
        EXPECT_TRUE(!open || app.delegate.helpPanel()->isVisible());
    }
    QTest::mouseClick(app.delegate.helpPanel()->closeButton(), Qt::LeftButton);
    EXPECT_EQ(app.delegate.helpPanel(), nullptr);
    app.command("How to Use");
    EXPECT_EQ(app.delegate.welcomePanel(), welcome);  // not the help card's business
    EXPECT_TRUE(welcome->isVisible());

    auto chooser = answerChooser([](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Choose a photo to pin to your desktop");
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        ASSERT_EQ(dialog.nameFilters().size(), 1);
        for (const QString pattern : {"*.png", "*.jpg", "*.jpeg", "*.webp", "*.svg"})
            EXPECT_EQ(dialog.nameFilters()[0].contains(pattern), pattern != "*.svg")
                << pattern.toStdString();
    });
    app.command("Add Photo");
    EXPECT_TRUE(app.delegate.pins().pinWindows().empty());
    EXPECT_FALSE(fs::exists(app.stateFile()));
    EXPECT_FALSE(hasAddedFirstPhoto().isValid());
    std::vector<std::string> picked;
    for (const char* name : {"beach.png", "forest.jpg"}) {
        picked.push_back((app.root() / "home/Pictures" / name).string());
        writePicture(picked.back());
        chooser = answerChooser([&](QFileDialog& dialog) {
            dialog.selectFile(QString::fromStdString(picked.back()));
            QPushButton* open =
                dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);
            EXPECT_EQ(open->text(), "Pin to Desktop");
            open->click();
        });
        app.command("Add Photo");
        EXPECT_EQ(app.delegate.welcomePanel(), nullptr);
        EXPECT_EQ(app.delegate.helpPanel(), nullptr);
    }
    EXPECT_TRUE(hasAddedFirstPhoto().toBool());
    const auto added = app.saved();
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(std::vector({added[0].originalPath, added[1].originalPath}), picked);

    // "Remove Photo" clicked in the first photo's own menu.
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            if (action->text() == "Remove Photo")
                return QTest::mouseClick(menu, Qt::LeftButton, {},
                                         menu->actionGeometry(action).center());
        }
        ADD_FAILURE() << "no Remove Photo";
    });
    QWidget* photo = app.delegate.pins().pinWindows()[0]->contentView();
    QContextMenuEvent click(QContextMenuEvent::Mouse, photo->rect().center(),
                            photo->mapToGlobal(photo->rect().center()));
    QApplication::sendEvent(photo, &click);
    EXPECT_EQ(app.saved(), std::vector{added[1]});
    EXPECT_EQ(app.delegate.pins().pinWindows().size(), 1u);
    const fs::path images = app.dataHome() / "Corkwallery/images";
    EXPECT_FALSE(fs::exists(images / added[0].storedFilename));
    app.command("Remove All Photos");
    EXPECT_TRUE(app.delegate.pins().pinWindows().empty());
    EXPECT_TRUE(app.saved().empty());
    EXPECT_TRUE(fs::is_empty(images));
}

TEST(app, TrayMenuOpensFromTheCornerCardAndAnswersItsShortcutsWhileOpen) {
    App app;
    QMenu* menu = app.delegate.statusItem()->menu();
    QStringList entries;
    for (const QAction* action : menu->actions())
        entries << (action->text() + " " + action->shortcut().toString()).trimmed();
    EXPECT_EQ(entries, QStringList({"Add Photo Ctrl+N", "", "Remove All Photos", "", "How to Use",
                                    "", "Start at Login", "", "Quit Corkwallery Ctrl+Q"}));
    // The card stands 8 points inside the top-right corner of the 1440 x 900 screen.
    DesktopCard* card = app.delegate.statusItem()->fallbackCard();
    EXPECT_EQ(card->geometry(), QRect(1440 - 8 - 32, 8, 32, 32));
    QTest::mouseClick(card, Qt::LeftButton);
    EXPECT_EQ(QApplication::activePopupWidget(), menu);
    menu->close();

    struct Press {
        QKeyCombination keys;
        bool chooser, quits;
    } const presses[] = {
        {Qt::ControlModifier | Qt::Key_N, true, false},
        {Qt::ControlModifier | Qt::Key_Q, false, true},
        {Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Q, false, false},
        {Qt::ControlModifier | Qt::Key_X, false, false},
    };
    for (const Press& press : presses) {
        SCOPED_TRACE(QKeySequence(press.keys).toString().toStdString());
        QSignalSpy quit(&app.delegate, &AppDelegate::terminateRequested);
        bool chooser = false;
        const auto answer = answerChooser([&](QFileDialog&) { chooser = true; });
        app.delegate.statusItem()->openMenu(QPoint(100, 500));
        ASSERT_TRUE(testing::waitUntil([&] { return QApplication::activePopupWidget() == menu; }));
        QTest::keyClick(menu, press.keys.key(), press.keys.keyboardModifiers());
        EXPECT_EQ(chooser, press.chooser);
        EXPECT_EQ(quit.size(), press.quits ? 1 : 0);
        EXPECT_EQ(menu->isVisible(), !press.chooser && !press.quits);
        menu->close();
    }
}

// Pictures of the cards are saved for people to compare; app.CardPictures@2x makes the 2x ones.
TEST(app, CardsAreDarkRoundedColumnsOverTheirShadowOrCutWithoutACompositor) {
    for (const bool help : {false, true}) {
        SCOPED_TRACE(help ? "help" : "welcome");
        const auto card = help ? InfoCard::help([] {}) : InfoCard::welcome(true);
        card->orderFront();
        const QRect c = card->cardRect();
        const QRect title = card->titleLabel()->geometry();
        const QRect body = card->bodyLabel()->geometry();
        EXPECT_EQ(card->frame().center(),
                  QRectF(QGuiApplication::primaryScreen()->geometry()).center());
        // Icon, title and body, centred, 8 points apart, 24 inside the top and bottom edges, the
        // widest 32 inside the sides; the close button 8 points inside the top-right corner.
        EXPECT_EQ(QList<int>({title.top(), body.top(), body.bottom(),
                              std::max(title.width(), body.width())}),
                  QList<int>({c.top() + 24 + 32 + 8, title.bottom() + 9, c.bottom() - 24,
                              c.width() - 64}));
        EXPECT_LE(std::abs(title.center().x() - c.center().x()) +
                      std::abs(body.center().x() - c.center().x()),
                  1);
        EXPECT_EQ(card->closeButton() ? card->closeButton()->geometry() : QRect(),
                  help ? QRect(c.right() - 27, c.top() + 8, 20, 20) : QRect());

        const qreal ratio = card->devicePixelRatioF();
        const QImage picture = card->grab().toImage();
        picture.save(QStringLiteral(CORKWALLERY_BUILD_DIR "/cards-%1%2.png")
                         .arg(help ? "help" : "welcome", ratio == 2 ? "@2x" : ""));
        const auto at = [&](int x, int y) { return picture.pixelColor(QPoint(x, y) * ratio); };
        EXPECT_LT(at(c.left() + 1, c.top() + 1).alphaF(), 0.34);  // outside the rounding
        EXPECT_NEAR(at(c.left() + 12, c.center().y()).alphaF(), 0.7, 0.01);
        EXPECT_GT(at(c.center().x(), c.bottom() + 4).alphaF(), 0.1);  // the shadow
        const auto brightest = [&](const QRect& r) {
            int best = 0;
            for (int y = r.top(); y <= r.bottom(); ++y) {
                for (int x = r.left(); x <= r.right(); ++x)
                    best = std::max(best, at(x, y).red());
            }
            return best;
        };
        EXPECT_GT(brightest(title), 240);
        if (help) {  // white at 0.6 over the card: light grey
            EXPECT_NEAR(brightest(card->closeButton()->geometry()), 195, 45);
        }

        card->setCompositing(false);
        EXPECT_TRUE(card->mask().contains(c.center()));
        EXPECT_FALSE(card->mask().contains(c.topLeft()));
        EXPECT_FALSE(card->mask().contains(QPoint(c.center().x(), c.bottom() + 4)));
        EXPECT_EQ(card->grab().toImage().pixelColor(QPoint(c.left() + 12, c.center().y()) * ratio),
                  QColor(Qt::black));
    }
}

}  // namespace
}  // namespace corkwallery
