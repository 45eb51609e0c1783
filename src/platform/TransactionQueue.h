#pragma once

#include "platform/Layer.h"

namespace corkwallery::platform {

// Layer trees waiting for the open transaction to commit before they are drawn again.
void deferDisplay(Layer& root);
void forgetDeferredDisplay(Layer& root);

}  // namespace corkwallery::platform
