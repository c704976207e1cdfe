// Filled in by the lead shortly.
#include "wine/support.h"
