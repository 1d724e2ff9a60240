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

// The file names that the lines of an order file mean. A line that is a file's name means that
// file; otherwise a line that is one file's name-list entry (as the name list derives it, without
// its extension) means that file. A line that matches no file stays as it is, for orderByList to
// report. A line that is the entry of two files is ambiguous: `ambiguous` holds it and the first
// two files it matches, and `files` is then incomplete.
struct ListedFiles
{
    QStringList files;
    QStringList ambiguous;
};

ListedFiles filesForListedLines(const QStringList &names, const QStringList &lines);

} // namespace quiltmap::sheet
