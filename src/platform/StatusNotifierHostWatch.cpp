#include "platform/StatusNotifierHostWatch.h"
