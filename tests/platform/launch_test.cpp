#include <gtest/gtest.h>

TEST(Placeholder_launch_test, Builds) {}
