#include <gtest/gtest.h>

#include "sale/CategoryCascade.h"
#include "tests/sale/SaleTables.h"

namespace offrel {
namespace {

TEST(CategoryCascadeTest, LevelsHaveNoFixedCapacity) {
    testing::SaleTables f;
    f.AddCategory(1, 0, "Tout");
    f.AddCategory(2, 0, "Grande");
    for (int id = 100; id < 100 + 10050; ++id) f.AddCategory(id, 2, "Feuille");
    CategoryCascade cascade(f.tables.cdsCategorie, f.state);
    cascade.Reset();
    cascade.Choose(0, 1);
    EXPECT_EQ(cascade.level(1).labels.size(), 10050u);
    cascade.Choose(1, 10049);
    ASSERT_TRUE(cascade.Add());
    EXPECT_EQ(f.state.CatChoisies[0], 100 + 10049);
}

}  // namespace
}  // namespace offrel
