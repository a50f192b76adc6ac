#include "run/format.h"
