#include "spectral/fft.h"
