#include <gtest/gtest.h>

TEST(TodayHostPlaceholder, Builds) {}
