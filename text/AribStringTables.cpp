#include "AribString.h"
