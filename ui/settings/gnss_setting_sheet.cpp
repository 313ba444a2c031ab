#include "ui/settings/gnss_setting_sheet.h"
