#include "store/AppFolders.h"
