#include "store/StateStore.h"

#include <gtest/gtest.h>

#include "StoreTestSupport.h"

namespace corkwallery {
namespace {}  // namespace
}  // namespace corkwallery
