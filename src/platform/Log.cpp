#include "platform/Log.h"
