#include "photo/PinColors.h"
