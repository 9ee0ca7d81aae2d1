#include <gtest/gtest.h>
TEST(Placeholder, Host) { SUCCEED(); }
