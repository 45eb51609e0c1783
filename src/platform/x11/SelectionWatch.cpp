#include "platform/x11/SelectionWatch.h"
