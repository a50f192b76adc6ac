#include "output/spectrum_file.h"
