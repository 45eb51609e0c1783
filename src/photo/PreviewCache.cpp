#include "photo/PreviewCache.h"
