#include "platform/Uuid.h"

#include <QUuid>

namespace corkwallery::platform {

std::string Uuid::randomText() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
}

}  // namespace corkwallery::platform
