#include "ui/status/position_text.h"
