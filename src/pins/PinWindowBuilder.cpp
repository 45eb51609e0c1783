#include "pins/PinWindowBuilder.h"

#include "photo/DraggableImageView.h"
#include "pins/PhotoLoader.h"
#include "platform/Screen.h"

namespace corkwallery {

using platform::Panel;
using platform::Rect;

namespace {
Rect mainScreenFrame() {
    const auto screen = platform::Screen::main();
    return screen ? screen->frame : Rect(0, 0, 1440, 900);
}
}  // namespace

std::unique_ptr<Panel> PinWindowBuilder::build(const PinParameters& p) {
    const double w = p.baseWidth;
    const double h = p.baseHeight;
    const Rect screen = mainScreenFrame();
    auto panel =
        std::make_unique<Panel>(Rect(screen.midX() - w * 0.5, screen.midY() - h * 0.5, w, h));
    panel->setLevel(platform::WindowLevel::DesktopIcon);
    panel->setOpaque(false);
    panel->setBackgroundColor(platform::Color::clear());
    panel->setHasShadow(true);
    panel->setReleasedWhenClosed(false);
    panel->setCollectionBehavior(platform::CollectionCanJoinAllSpaces |
                                 platform::CollectionStationary | platform::CollectionIgnoresCycle);

    auto owned = std::make_unique<DraggableImageView>(Rect(0, 0, w, h));
    DraggableImageView& view = *owned;
    view.setImage(p.image);
    view.imageLayer().setContents(p.image);
    // A finer decode, after an enlargement, always comes from the stored copy.
    view.setImageLoader([name = p.storedFilename](platform::Size points) {
        return PhotoLoader::loadStoredCopy(name, points);
    });
    view.setStoredFilename(p.storedFilename);
    view.setOriginalPath(p.originalPath);
    view.setPinColorName(p.pinColorName);
    view.renderPinImage();
    view.setLocked(p.isLocked);
    panel->setContentView(std::move(owned));
    view.fitWindowToPhoto({w, h}, p.rotationAngle);

    if (p.center)
        panel->setCenter(*p.center);
    panel->orderFront();
    return panel;
}

}  // namespace corkwallery
