#include "app/StatusItem.h"
