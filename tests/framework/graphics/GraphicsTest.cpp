#include "framework/graphics/Graphics.h"
