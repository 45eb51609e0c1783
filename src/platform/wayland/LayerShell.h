#pragma once

#include <QRect>
#include <QRegion>

class QWidget;

// Our desktop windows (pins and cards) as native Wayland layer surfaces (zwlr_layer_shell_v1,
// through LayerShellQt): on the bottom layer, above the wallpaper and below every window, on every
// workspace, never tiled or hidden by Show Desktop, placed by their margins. Only where the build
// has LayerShellQt and Qt runs on Wayland; elsewhere each function does nothing.
namespace corkwallery::platform::wayland {

// Whether windows are layer surfaces: built with LayerShellQt and Qt runs on Wayland.
bool isRunning();
// Before the QApplication exists: whether the compositor that WAYLAND_DISPLAY names offers
// zwlr_layer_shell_v1. False when it does not answer, and in a build without LayerShellQt. Notes
// whether the compositor is KWin, for which surfaces are made differently.
bool compositorOffersLayerShell();

// Where a surface is held on its output.
enum class Anchor {
    TopLeft,   // by the top-left corner, margins from the output's corner, ignoring panels
    TopRight,  // by the top-right corner, margins from the corner of the area panels leave free
};

// Makes an unmapped top-level window a layer surface on the bottom layer of the output under the
// centre of `geometry` (Qt's global coordinates), held there by `anchor`, keeping no keyboard
// focus (a click lends it for the modifiers only, except on KWin) and reserving no space. Creates
// the native window if needed.
void prepareLayerSurface(QWidget* window, const QRect& geometry, Anchor anchor);
// Moves a layer surface to `geometry`: new margins on its output or, once its centre is over
// another output, a new surface there; while a button is held, only once it is let go, since the
// gesture belongs to the surface it began on.
void placeLayerSurface(QWidget* window, const QRect& geometry);
// The compositor closed the window's layer surface (its output went): the next placeLayerSurface
// makes it again. Whether the window is a layer surface.
bool surfaceClosed(QWidget* window);
// The surface takes pointer input only inside `region` (window coordinates); clicks elsewhere
// reach what lies below.
void setInputShape(QWidget* window, const QRegion& region);

}  // namespace corkwallery::platform::wayland
