#include "cli/option_table.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace quiltmap::cli {
namespace {

using namespace Qt::StringLiterals;

QString sourceFile(const QString &path)
{
    QFile file(QStringLiteral(QUILTMAP_SOURCE_DIR "/") + path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return QString::fromUtf8(file.readAll());
}

// "-c" and "--cell" for every option of the table.
QSet<QString> tableNames()
{
    QSet<QString> names;
    for (const OptionEntry &option : optionTable())
        for (const QString &name : option.names)
            names.insert((name.size() == 1 ? u"-"_s : u"--"_s) + name);
    return names;
}

QSet<QString> matches(const QString &text, const QString &pattern)
{
    QSet<QString> found;
    for (const QRegularExpressionMatch &match :
        QRegularExpression(u"(?m)"_s + pattern).globalMatch(text))
        found.insert(match.captured(1).replace(u"\\-"_s, u"-"_s));
    return found;
}

TEST(OptionTable, HelpListsEveryOptionWithinEightyColumns)
{
    const QString help = usageText();
    for (const QString &line : help.split(u'\n'))
        EXPECT_LE(line.size(), 80) << line.toStdString();
    EXPECT_EQ(
        matches(help, u"(?:^|[ ,])(--?[a-zA-Z][a-z-]*)"_s).intersect(tableNames()), tableNames());
    EXPECT_TRUE(help.contains(u"\n  -n, --columns N|auto    tiles per row"_s))
        << help.toStdString();
}

// The manual page's options section names exactly the table's options, each in an entry.
TEST(OptionTable, ManualPageDescribesEveryOption)
{
    const QString page = sourceFile(u"packaging/man/quiltmap.1"_s);
    const QString options = page.section(u".SH OPTIONS"_s, 1).section(u".SH "_s, 0, 0);
    EXPECT_EQ(matches(options, u"^\\.B[R]? ((?:\\\\-){1,2}[a-zA-Z][a-z\\\\-]*)"_s)
            + matches(options, u"^\\.BR [^\\n]*\", \" ((?:\\\\-){2}[a-z\\\\-]+)"_s),
        tableNames());
}

// The completion offers every option, completes values only after options that take one, and
// offers the words the table gives for a value.
TEST(OptionTable, CompletionKnowsEveryOptionAndItsWords)
{
    const QString script = sourceFile(u"packaging/completion/quiltmap"_s);
    QSet<QString> valued;
    QSet<QString> flags;
    for (const OptionEntry &option : optionTable()) {
        for (const QString &name : option.names) {
            const QString dashed = (name.size() == 1 ? u"-"_s : u"--"_s) + name;
            (option.valueName.isEmpty() ? flags : valued).insert(dashed);
            if (option.words.isEmpty())
                continue;
            const QRegularExpression entry(
                u"\\["_s + QRegularExpression::escape(dashed) + u"\\]=\"([^\"]*)\""_s);
            const QRegularExpressionMatch match = entry.match(script);
            ASSERT_TRUE(match.hasMatch()) << dashed.toStdString();
            EXPECT_EQ(match.captured(1).split(u' '), option.words) << dashed.toStdString();
        }
    }
    EXPECT_EQ(matches(script, u"\\[(--?[a-zA-Z][a-z-]*)\\]="_s), valued);
    const QStringList flagWords
        = script.section(u"local flags=\""_s, 1).section(u'"', 0, 0).split(u' ');
    EXPECT_EQ(QSet<QString>(flagWords.begin(), flagWords.end()), flags);
}

TEST(OptionTable, ReadmeNamesEveryLongOption)
{
    const QString readme = sourceFile(u"README.md"_s);
    for (const OptionEntry &option : optionTable())
        EXPECT_TRUE(readme.contains(u"`--"_s + option.longName()))
            << option.longName().toStdString();
}

} // namespace
} // namespace quiltmap::cli
