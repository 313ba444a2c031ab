#include "ui/settings/command_history.h"
