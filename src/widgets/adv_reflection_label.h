#pragma once

#include "widgets/html_render.h"

#include <QColor>
#include <QImage>
#include <QStringList>
#include <QWidget>

class QPainter;

namespace quiltmap::widgets {

// A label that draws one line of markup and, under it, a mirrored copy of the drawn text box
// that fades out downwards. The reflection image is built by the first paint after a change
// (`UpdateChange`) and drawn from the stored image on every later paint.
class TAdvReflectionLabel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QStringList HTMLText READ HTMLText WRITE setHTMLText)
    Q_PROPERTY(QColor URLColor READ URLColor WRITE setURLColor)
    Q_PROPERTY(int ReflectionSize READ ReflectionSize WRITE setReflectionSize)
    Q_PROPERTY(int ReflectionAxis READ ReflectionAxis WRITE setReflectionAxis)
    Q_PROPERTY(
        int ReflectionOpacityStart READ ReflectionOpacityStart WRITE setReflectionOpacityStart)
    Q_PROPERTY(int ReflectionOpacityEnd READ ReflectionOpacityEnd WRITE setReflectionOpacityEnd)
    Q_PROPERTY(QString Version READ Version WRITE setVersion)

public:
    explicit TAdvReflectionLabel(QWidget *parent = nullptr);

    // The lines are drawn joined with nothing between them. Setting them keeps them as one
    // line without line breaks and asks for a rebuild of the reflection.
    QStringList HTMLText() const { return m_htmlText; }
    void setHTMLText(const QStringList &lines);

    QColor URLColor() const { return m_urlColor; }
    void setURLColor(const QColor &color);

    // Rows over which the reflection fades; a change rebuilds the reflection at the next paint.
    int ReflectionSize() const { return m_reflectionSize; }
    void setReflectionSize(int rows);

    // Offset of the reflection's top from the bottom of the drawn text; only moves it.
    int ReflectionAxis() const { return m_reflectionAxis; }
    void setReflectionAxis(int pixels);

    // Opacities 0..255 of the first row and of row `ReflectionSize`; other values are ignored.
    // A change rebuilds the reflection at once.
    int ReflectionOpacityStart() const { return m_opacityStart; }
    void setReflectionOpacityStart(int opacity);
    int ReflectionOpacityEnd() const { return m_opacityEnd; }
    void setReflectionOpacityEnd(int opacity);

    // Always "1.5.1.0"; writing it has no effect.
    QString Version() const;
    void setVersion(const QString &) { }

    // Marks the reflection for a rebuild by the next paint and asks for that paint.
    void UpdateChange();

    // The laid-out size of the text at the last paint and the reflection image as last built
    // (null before the first build).
    int XSize() const { return m_xSize; }
    int YSize() const { return m_ySize; }
    const QImage &ReflectionPic() const { return m_reflectionPic; }
    bool ReflectionPending() const { return m_updateReflection; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QString text() const { return m_htmlText.join(QString()); }
    void paintPass(QPainter &painter);
    RenderSize drawText(QPainter &painter) const;
    void setOpacity(int &field, int opacity);
    // Throws Error when the images cannot be allocated.
    void BuildReflection();

    QStringList m_htmlText;
    QColor m_urlColor = Qt::blue;
    int m_reflectionSize = 20;
    int m_reflectionAxis = -7;
    int m_opacityStart = 128;
    int m_opacityEnd = 0;
    int m_xSize = 0;
    int m_ySize = 0;
    int m_xStart = 0;
    QImage m_reflectionPic;
    bool m_updateReflection = false;
};

} // namespace quiltmap::widgets
