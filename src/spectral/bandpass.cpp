#include "spectral/bandpass.h"
