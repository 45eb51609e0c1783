#include "store/StateFileCodec.h"
