#include "cli/progress_bar.h"

#include <QString>
#include <QTextStream>

namespace quiltmap::cli {

ProgressBar::ProgressBar(QTextStream &terminal, int total)
    : m_terminal(terminal)
    , m_total(total)
{ }

void ProgressBar::show(int done)
{
    const int fill = m_total > 0 ? int(std::int64_t(done) * width / m_total) : width;
    const int percent = m_total > 0 ? int(std::int64_t(done) * 100 / m_total) : 100;
    if (fill == m_shownFill && percent == m_shownPercent)
        return;
    m_shownFill = fill;
    m_shownPercent = percent;
    m_terminal << '\r' << '[' << QString(fill, u'#') << QString(width - fill, u' ') << "] " << done
               << '/' << m_total << Qt::flush;
}

ProgressBar::~ProgressBar()
{
    if (m_shownFill >= 0)
        m_terminal << "\r\x1b[K" << Qt::flush;
}

} // namespace quiltmap::cli
