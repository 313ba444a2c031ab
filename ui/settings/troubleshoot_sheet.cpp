#include "ui/settings/troubleshoot_sheet.h"
