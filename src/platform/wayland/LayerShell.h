#pragma once

class QWindow;

namespace corkwallery::platform {
class DesktopSurface;
}

// Our desktop windows (pins and cards) as native Wayland layer surfaces (zwlr_layer_shell_v1,
// through LayerShellQt): on the bottom layer, above the wallpaper and below every window, on every
// workspace, never tiled or hidden by Show Desktop, placed by their margins. Only where the build
// has LayerShellQt and Qt runs on Wayland.
namespace corkwallery::platform::wayland {

// Whether windows are layer surfaces: built with LayerShellQt and Qt runs on Wayland.
bool isRunning();
// Before the QApplication exists: whether the compositor that WAYLAND_DISPLAY names offers
// zwlr_layer_shell_v1. False when it does not answer, and in a build without LayerShellQt. Notes
// whether the compositor is KWin, for which surfaces are made differently.
bool compositorOffersLayerShell();
// The layer surface of `window`, where isRunning().
DesktopSurface* makeLayerSurface(QWindow* window);

}  // namespace corkwallery::platform::wayland
