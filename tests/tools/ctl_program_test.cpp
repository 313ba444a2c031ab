// zentrixctl as a script runs it: a separate process, its exit status, and its end on SIGINT.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"
