#include "records/polarity.h"
