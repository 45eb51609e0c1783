#include "app/InfoCard.h"
