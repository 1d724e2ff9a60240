#include "app/error_reporter.h"

#include <gtest/gtest.h>

namespace quiltmap::app {
namespace {

TEST(ErrorBoxText, FullStopAppendedOnlyAfterCharactersAboveTheDot)
{
    EXPECT_EQ(errorBoxText(QStringLiteral("Division durch Null")), u"Division durch Null.");
    EXPECT_EQ(errorBoxText(QStringLiteral("Fertig.")), u"Fertig.");
    EXPECT_EQ(errorBoxText(QStringLiteral("Wirklich?")), u"Wirklich?.");
    EXPECT_EQ(errorBoxText(QStringLiteral("Ende-")), u"Ende-");
    EXPECT_EQ(errorBoxText(QStringLiteral("(x)")), u"(x)");
    EXPECT_EQ(errorBoxText(QStringLiteral("Pfad /")), u"Pfad /.");
    EXPECT_EQ(errorBoxText(QString()), u"");
}

} // namespace
} // namespace quiltmap::app
