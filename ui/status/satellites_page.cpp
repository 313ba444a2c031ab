#include "ui/status/satellites_page.h"
