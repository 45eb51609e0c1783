#include "store/StateStore.h"
