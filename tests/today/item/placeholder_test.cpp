#include <gtest/gtest.h>

TEST(TodayItemPlaceholder, Builds) {}
