#include "desktop/DroppedFiles.h"

#include <QMimeData>
#include <QUrl>

#include "platform/Files.h"

namespace corkwallery {

DroppedFiles DroppedFiles::from(const QMimeData& data, QPointF at) {
    DroppedFiles dropped{{}, {}, at};
    for (const QUrl& url : data.urls()) {
        if (auto path = platform::files::fromFileUrl(url))
            dropped.paths.push_back(std::move(*path));
        else
            dropped.others.push_back(url.toString(QUrl::FullyEncoded).toStdString());
    }
    return dropped;
}

}  // namespace corkwallery
