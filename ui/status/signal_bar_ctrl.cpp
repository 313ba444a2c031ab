#include "ui/status/signal_bar_ctrl.h"
