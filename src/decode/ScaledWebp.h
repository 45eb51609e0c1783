#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// A still WebP decoded straight to the size asked, through libwebp's own scaling: the picture is
// rescaled row by row as it is decoded, so nothing its full size is held. Qt's WebP reader has no
// scaled decode.
namespace corkwallery::ScaledWebp {

// Tagged with the colour space of the file's profile. Null for an animation, a size that is not
// smaller than the picture's, or damaged data.
QImage decode(const QByteArray& file, QSize size);

}  // namespace corkwallery::ScaledWebp
