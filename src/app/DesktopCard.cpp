#include "app/DesktopCard.h"
