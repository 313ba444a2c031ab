#include "ui/diff/diff_mode_sheet.h"
