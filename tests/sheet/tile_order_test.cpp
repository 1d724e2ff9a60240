#include "sheet/tile_order.h"

#include <gtest/gtest.h>

namespace quiltmap::sheet {
namespace {

using namespace Qt::StringLiterals;

struct NaturalCase
{
    QStringList names;
    QStringList expected;
};

class NaturalOrder : public testing::TestWithParam<NaturalCase>
{
};

TEST_P(NaturalOrder, ComparesRunsOfDigitsByValue)
{
    QStringList names = GetParam().names;
    sortNaturally(names);
    EXPECT_EQ(names, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Names, NaturalOrder,
    testing::Values(NaturalCase { { u"icon1.png"_s, u"icon10.png"_s, u"icon2.png"_s },
                        { u"icon1.png"_s, u"icon2.png"_s, u"icon10.png"_s } },
        // Equal values tie and keep the collation order, in which "a01" precedes "a1".
        NaturalCase { { u"a1.png"_s, u"a10.png"_s, u"a01.png"_s, u"a2.png"_s },
            { u"a01.png"_s, u"a1.png"_s, u"a2.png"_s, u"a10.png"_s } },
        NaturalCase { { u"Icon10.png"_s, u"icon9.png"_s }, { u"icon9.png"_s, u"Icon10.png"_s } },
        NaturalCase { { u"v1.10.png"_s, u"v2.1.png"_s, u"v1.9.png"_s },
            { u"v1.9.png"_s, u"v1.10.png"_s, u"v2.1.png"_s } },
        NaturalCase { { u"b.png"_s, u"A.png"_s, u"c7.png"_s, u"c007x.png"_s },
            { u"A.png"_s, u"b.png"_s, u"c007x.png"_s, u"c7.png"_s } },
        NaturalCase { { u"99999999999999999999.png"_s, u"100000000000000000000.png"_s },
            { u"99999999999999999999.png"_s, u"100000000000000000000.png"_s } }));

TEST(ListedOrder, PutsListedNamesFirstAndAppendsTheRest)
{
    const QStringList names { u"a"_s, u"b"_s, u"c"_s, u"d"_s };
    ListedOrder order = orderByList(names, { u"c"_s, u"a"_s, u"c"_s });
    EXPECT_EQ(order.names, (QStringList { u"c"_s, u"a"_s, u"b"_s, u"d"_s }));
    EXPECT_EQ(order.appended, (QStringList { u"b"_s, u"d"_s }));
    EXPECT_TRUE(order.missing.isEmpty());

    order = orderByList(names, { u"x"_s, u"d"_s, u"A"_s });
    EXPECT_EQ(order.missing, (QStringList { u"x"_s, u"A"_s }));
}

} // namespace
} // namespace quiltmap::sheet
