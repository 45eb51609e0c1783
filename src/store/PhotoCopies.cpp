#include "store/PhotoCopies.h"
