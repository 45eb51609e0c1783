#include "platform/CompositorWatch.h"
