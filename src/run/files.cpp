#include "run/files.h"
