#include "platform/DisplayChoice.h"
