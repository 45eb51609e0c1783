#include "pins/PinPlacement.h"
