// Compiles types.h on its own, so that it keeps including everything it uses.
#include "framework/types.h"
