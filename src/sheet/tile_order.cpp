#include "sheet/tile_order.h"

#include "sheet/sheet_export.h"
#include "sheet/tile_name.h"

#include <QCollator>
#include <QHash>
#include <QSet>
#include <algorithm>

namespace quiltmap::sheet {
namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The run of digits starting at `at`, and where it ends.
QStringView digitRun(QStringView text, qsizetype at, qsizetype &end)
{
    end = at;
    while (end < text.size() && isDigit(text[end]))
        ++end;
    return text.sliced(at, end - at);
}

// Compares two digit runs by value: -1, 0 or 1.
int compareNumbers(QStringView a, QStringView b)
{
    const auto withoutZeros = [](QStringView run) {
        qsizetype first = 0;
        while (first < run.size() && run[first] == u'0')
            ++first;
        return run.sliced(first);
    };
    a = withoutZeros(a);
    b = withoutZeros(b);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

// Walks both names while they agree (case-insensitively); where both reach a run of digits the
// runs compare by value. 0 when nothing numeric tells them apart.
int compareNumericRuns(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            qsizetype endA = 0;
            qsizetype endB = 0;
            const int order = compareNumbers(digitRun(a, i, endA), digitRun(b, j, endB));
            if (order != 0)
                return order;
            i = endA;
            j = endB;
        } else if (a[i].toCaseFolded() == b[j].toCaseFolded()) {
            ++i;
            ++j;
        } else {
            return 0;
        }
    }
    return 0;
}

} // namespace

void sortNaturally(QStringList &names)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(names.begin(), names.end(), [&](const QString &a, const QString &b) {
        const int order = compareNumericRuns(a, b);
        return order != 0 ? order < 0 : collator.compare(a, b) < 0;
    });
}

ListedOrder orderByList(const QStringList &names, const QStringList &wanted)
{
    const QSet<QString> present(names.begin(), names.end());
    QSet<QString> placed;
    ListedOrder order;
    for (const QString &name : wanted) {
        if (!present.contains(name))
            order.missing.append(name);
        else if (!placed.contains(name)) {
            placed.insert(name);
            order.names.append(name);
        }
    }
    for (const QString &name : names)
        if (!placed.contains(name)) {
            order.names.append(name);
            order.appended.append(name);
        }
    return order;
}

ListedFiles filesForListedLines(const QStringList &names, const QStringList &lines)
{
    const QSet<QString> present(names.begin(), names.end());
    QHash<QString, QStringList> byEntry;
    for (const QString &name : names)
        byEntry[trimNameLine(tileName(name))].append(name);
    ListedFiles listed;
    for (const QString &line : lines) {
        const QStringList matches = byEntry.value(line);
        if (present.contains(line) || matches.isEmpty()) {
            listed.files.append(line);
        } else if (matches.size() == 1) {
            listed.files.append(matches.front());
        } else {
            listed.ambiguous = { line, matches[0], matches[1] };
            return listed;
        }
    }
    return listed;
}

} // namespace quiltmap::sheet
