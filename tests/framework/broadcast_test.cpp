#include <gtest/gtest.h>

TEST(Placeholder_broadcast_test, Builds) {}
