#pragma once

#include <QStringList>

namespace quiltmap::sheet {

// Sorts listed names so that names differing in a run of digits compare by the numbers' values
// ("icon2" before "icon10"). Runs of equal value ("a01", "a1") and names that differ otherwise
// keep the listing's case-insensitive collation order, which `names` is expected to be in.
void sortNaturally(QStringList &names);

// The names in the order of `wanted` (each listed name once, at its first mention), then the
// names `wanted` does not mention in their present order.
struct ListedOrder
{
    QStringList names;
    // Names of `wanted` that `names` lacks, in the order `wanted` gives them.
    QStringList missing;
    // The names that followed the listed ones.
    QStringList appended;
};

ListedOrder orderByList(const QStringList &names, const QStringList &wanted);

} // namespace quiltmap::sheet
