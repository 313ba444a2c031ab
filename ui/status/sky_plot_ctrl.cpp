#include "ui/status/sky_plot_ctrl.h"
