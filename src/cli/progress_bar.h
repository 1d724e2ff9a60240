#pragma once

class QTextStream;

namespace quiltmap::cli {

// A one-line bar on a terminal, "[#####     ]  512/3000", redrawn only when it changes.
class ProgressBar
{
public:
    ProgressBar(QTextStream &terminal, int total);
    // Clears the line, so that later messages start at its beginning.
    ~ProgressBar();
    ProgressBar(const ProgressBar &) = delete;
    ProgressBar &operator=(const ProgressBar &) = delete;

    void show(int done);

private:
    static constexpr int width = 40;

    QTextStream &m_terminal;
    int m_total;
    int m_shownFill = -1;
    int m_shownPercent = -1;
};

} // namespace quiltmap::cli
