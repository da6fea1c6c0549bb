#include "framework/core/Singleton.h"

#include <gtest/gtest.h>

namespace {

int gCreated = 0;

class Counter : public Singleton<Counter> {
public:
    Counter() { ++gCreated; }
    int value = 0;
};

TEST(SingletonTest, CreatedOnFirstUseAndForgottenWhenDeleted)
{
    gCreated = 0;
    Counter* first = Counter::Instance();
    first->value = 5;
    EXPECT_EQ(Counter::Instance(), first);
    EXPECT_EQ(gCreated, 1);
    delete first;
    Counter* second = Counter::Instance();
    EXPECT_EQ(gCreated, 2);
    EXPECT_EQ(second->value, 0);
    delete second;
    // One made directly registers itself as the instance.
    auto* direct = new Counter;
    EXPECT_EQ(Counter::Instance(), direct);
    delete direct;
}

} // namespace
