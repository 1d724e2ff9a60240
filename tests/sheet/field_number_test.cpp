#include "sheet/field_number.h"

#include <QString>
#include <gtest/gtest.h>
#include <limits>

namespace quiltmap::sheet {
namespace {

struct Conversion
{
    const char *text;
    int value;
};

void PrintTo(const Conversion &c, std::ostream *os)
{
    *os << '"' << c.text << '"';
}

class FieldNumberTest : public testing::TestWithParam<Conversion>
{
};

TEST_P(FieldNumberTest, ConvertsLeniently)
{
    EXPECT_EQ(fieldNumber(QString::fromUtf8(GetParam().text)), GetParam().value);
}

constexpr int maxInt = std::numeric_limits<int>::max();
constexpr int minInt = std::numeric_limits<int>::min();

INSTANTIATE_TEST_SUITE_P(Table, FieldNumberTest,
    testing::Values(Conversion { "48", 48 }, Conversion { "", 0 }, Conversion { "  12", 12 },
        Conversion { "+7", 7 }, Conversion { "-5", -5 }, Conversion { "12a", 12 },
        Conversion { "7 ", 7 }, Conversion { "7x", 7 }, Conversion { "-5a", 5 },
        Conversion { "-", 0 }, Conversion { "-0", 0 }, Conversion { "00", 0 },
        Conversion { "abc", 0 }, Conversion { "\t5", 0 }, Conversion { "$1F", 31 },
        Conversion { "x1f", 31 }, Conversion { "X10", 16 }, Conversion { "0x10", 16 },
        Conversion { "0X1a", 26 }, Conversion { "-$10", -16 }, Conversion { "$1G", 1 },
        Conversion { "$", 0 }, Conversion { "0x", 0 }, Conversion { "1e3", 1 },
        Conversion { "99999999999", maxInt }, Conversion { "-99999999999", minInt },
        Conversion { "2147483647", maxInt }, Conversion { "-2147483648", minInt },
        Conversion { "$FFFFFFFFFFFFFFFFFFFF", maxInt }, Conversion { "１２", 0 }));

} // namespace
} // namespace quiltmap::sheet
