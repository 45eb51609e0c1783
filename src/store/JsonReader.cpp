#include "store/JsonReader.h"
