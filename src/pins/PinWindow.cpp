#include "pins/PinWindow.h"
