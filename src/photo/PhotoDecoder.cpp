#include "photo/PhotoDecoder.h"
