#include "sheet/wildcard.h"

namespace quiltmap::sheet {
namespace {

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

} // namespace

bool matchesWildcard(QStringView pattern, QStringView name)
{
    if (pattern.isEmpty())
        return false;
    // Greedy matching with backtracking to the last "*": linear in practice, never exponential.
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace quiltmap::sheet
