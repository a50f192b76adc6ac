#include "run/text_output.h"
