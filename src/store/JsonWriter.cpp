#include "store/JsonWriter.h"
