#include <gtest/gtest.h>

TEST(Placeholder_file_icon_test, Builds) {}
