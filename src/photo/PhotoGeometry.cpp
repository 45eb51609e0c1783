#include "photo/PhotoGeometry.h"
