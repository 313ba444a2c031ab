#include <gtest/gtest.h>

#include "tests/tools/ctl_support.h"
