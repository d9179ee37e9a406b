#include "ui/gradienttextlabel.h"

#include <QLinearGradient>
#include <QPainter>

GradientTextLabel::GradientTextLabel(QWidget *parent)
    : GradientTextLabel(QString(), parent)
{
}

GradientTextLabel::GradientTextLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
}

void GradientTextLabel::setGradientColors(const QColor &start, const QColor &end)
{
    m_start = start;
    m_end = end;
    update();
}

void GradientTextLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QFontMetrics fm(font());
    const int textWidth = fm.horizontalAdvance(text());
    const int left = (width() - textWidth) / 2;
    // Stretch the gradient over the text itself, not the whole label.
    QLinearGradient gradient(left, 0, left + qMax(textWidth, 1), 0);
    gradient.setColorAt(0, m_start);
    gradient.setColorAt(1, m_end);
    p.setPen(QPen(QBrush(gradient), 1));
    p.setFont(font());
    p.drawText(rect(), Qt::AlignCenter, text());
}

#include "moc_gradienttextlabel.cpp"
