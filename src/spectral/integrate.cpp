#include "spectral/integrate.h"
