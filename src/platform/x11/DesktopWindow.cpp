#include "platform/x11/DesktopWindow.h"
