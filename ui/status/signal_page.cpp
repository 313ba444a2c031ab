#include "ui/status/signal_page.h"
