#include "records/record_reader.h"
