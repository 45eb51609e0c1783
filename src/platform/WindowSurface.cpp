#include "platform/WindowSurface.h"
