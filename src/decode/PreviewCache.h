#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "decode/PhotoDecoder.h"

// Small renditions of the stored photo copies, in $XDG_CACHE_HOME/Corkwallery/previews, so that a
// launch shows its pins without decoding whole photos. A preview is a baseline JPEG (a PNG when
// the photo has transparency) named after its copy's file name, byte size and modification time
// and the previews' version: a copy that changes never shows an old preview. Anything that goes
// wrong here only means there is no preview. Safe to call from any thread.
namespace corkwallery::PreviewCache {

// The pixels a preview holds on its longer side, per screen pixel: twice a new pin's 300 points.
inline constexpr double kPreviewSide = 600;

std::string folder();
int previewSide(double scale);

// The fresh preview of the copy at `copyPath`, reduced to at most `longerSide` pixels, given the
// copy's `naturalSize`. None when there is no fresh preview, it cannot be decoded, its shape is
// not the photo's (then it is dropped), or it is coarser than `longerSide` (unless it holds every
// pixel of the photo).
std::optional<Photo> load(const std::string& copyPath, QSize naturalSize, int longerSide);
bool hasFresh(const std::string& copyPath);
// Makes the copy's preview from its decoded photo, at most `longerSide` pixels on its longer
// side, written beside and renamed into place, and drops the copy's older previews.
void store(const std::string& copyPath, const Photo& photo, int longerSide);
// Drops every preview of the copy named `copyName`.
void remove(std::string_view copyName);
// Previews are scaled copies of private photos: store() makes them the user's alone (files 0600,
// folders 0700). This makes those of earlier versions so too: Corkwallery/ in the cache folder,
// previews/ and everything below, never following a symbolic link (links are left as they are).
// One log line when something could not be changed. For the launch, before any preview is made.
void makePrivate();

}  // namespace corkwallery::PreviewCache
