#include "output/waveform_file.h"
