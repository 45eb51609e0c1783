#include "platform/UnixSignals.h"
