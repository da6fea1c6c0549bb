#include "framework/widgets/SafeDeleteList.h"
#include "framework/widgets/Widget.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> gDeleted;

class Doomed : public Kivo::Widget {
public:
    Doomed(std::string name, Kivo::SafeDeleteList* list = nullptr, Doomed* next = nullptr)
        : mName(std::move(name)), mList(list), mNext(next)
    {
    }
    // Deleting this one asks for the deletion of the next.
    ~Doomed() override
    {
        gDeleted.push_back(mName);
        if (mList && mNext)
            mList->Add(0, mNext);
    }
    std::string mName;
    Kivo::SafeDeleteList* mList;
    Doomed* mNext;
};

TEST(SafeDeleteListTest, RequestsWaitForThePassDepthThatMadeThem)
{
    gDeleted.clear();
    Kivo::SafeDeleteList list;
    auto* outer = new Doomed("outer");
    auto* nested = new Doomed("nested");
    list.Add(1, outer);
    list.Add(2, nested);
    list.Add(2, nested); // asked twice, deleted once
    list.Add(2, nullptr);
    list.Process(2); // inside the nested loop
    EXPECT_EQ(gDeleted, (std::vector<std::string>{"nested"}));
    EXPECT_TRUE(list.Contains(outer));
    list.Process(1);
    EXPECT_EQ(gDeleted, (std::vector<std::string>{"nested", "outer"}));
    EXPECT_TRUE(list.Empty());
}

TEST(SafeDeleteListTest, DeletionsRequestedByDestructorsWaitForTheNextCall)
{
    gDeleted.clear();
    Kivo::SafeDeleteList list;
    auto* second = new Doomed("second");
    auto* first = new Doomed("first", &list, second);
    list.Add(0, first);
    list.Process(0);
    EXPECT_EQ(gDeleted, (std::vector<std::string>{"first"}));
    EXPECT_TRUE(list.Contains(second));
    list.Process(0);
    EXPECT_EQ(gDeleted, (std::vector<std::string>{"first", "second"}));
}

} // namespace
