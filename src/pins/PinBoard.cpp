#include "pins/PinBoard.h"
