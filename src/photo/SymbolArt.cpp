#include "photo/SymbolArt.h"
