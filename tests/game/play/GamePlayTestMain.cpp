// The test executable's entry; weak, so that another entry linked into the
// same executable may take its place.
#include <gtest/gtest.h>

__attribute__((weak)) int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
