#include "platform/ScreenCoordinates.h"
