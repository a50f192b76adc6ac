#include "spectral/frame.h"
