#include "run/text_input.h"
