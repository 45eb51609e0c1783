#include "app/CorkwalleryApp.h"
