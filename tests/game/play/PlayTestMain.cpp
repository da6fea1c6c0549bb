// The test executable's entry. Weak, so that a main linked from elsewhere
// into the same executable takes its place.
#include <gtest/gtest.h>

__attribute__((weak)) int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
