#pragma once

#include <QLocale>

namespace quiltmap::test {

// Makes `locale` the default locale for one test and restores the previous one afterwards.
class LocaleScope
{
public:
    explicit LocaleScope(const QLocale &locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_previous); }
    LocaleScope(const LocaleScope &) = delete;
    LocaleScope &operator=(const LocaleScope &) = delete;

    static QLocale english() { return QLocale(QLocale::English, QLocale::UnitedStates); }
    static QLocale german() { return QLocale(QLocale::German, QLocale::Germany); }

private:
    QLocale m_previous;
};

} // namespace quiltmap::test
