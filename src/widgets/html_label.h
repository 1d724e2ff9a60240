#pragma once

#include <QStringList>
#include <QWidget>

namespace quiltmap::widgets {

// A label without a background of its own that draws its markup lines over its parent. The
// lines are joined with one space; only "<br>" and wrapping start new lines on screen. The
// base font is the widget's font, in the palette's window-text colour.
class THTMLabel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QStringList HTMLText READ HTMLText WRITE setHTMLText)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(bool Ellipsis READ Ellipsis WRITE setEllipsis)
    Q_PROPERTY(int LineSpacing READ LineSpacing WRITE setLineSpacing)
    Q_PROPERTY(QString Version READ Version WRITE setVersion)

public:
    explicit THTMLabel(QWidget *parent = nullptr);

    QStringList HTMLText() const { return m_htmlText; }
    // Every change of the lines asks for a repaint.
    void setHTMLText(const QStringList &lines);
    void clearHTMLText();
    void addHTMLLine(const QString &line);

    // Off (the default): the parent shows around the glyphs. On: the palette's window colour
    // fills the label first.
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool transparent);

    // Off (the default): lines wrap at spaces. On: no wrapping; runs past the right edge end
    // in an ellipsis.
    bool Ellipsis() const { return m_ellipsis; }
    void setEllipsis(bool ellipsis);

    // Pixels added to the height of every line.
    int LineSpacing() const { return m_lineSpacing; }
    void setLineSpacing(int pixels);

    // Always "1.9.0.1"; writing it has no effect.
    QString Version() const;
    void setVersion(const QString &) { }

    // The markup as it is drawn: the lines joined with one space.
    QString GetDisplayText() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QStringList m_htmlText;
    bool m_transparent = true;
    bool m_ellipsis = false;
    int m_lineSpacing = 0;
};

} // namespace quiltmap::widgets
