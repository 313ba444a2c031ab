#include "ui/status/gnss_status_sheet.h"
