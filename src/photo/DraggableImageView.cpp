#include "photo/DraggableImageView.h"
