#include "output/window.h"
