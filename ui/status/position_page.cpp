#include "ui/status/position_page.h"
