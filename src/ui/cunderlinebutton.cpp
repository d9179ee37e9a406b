#include "ui/cunderlinebutton.h"

#include <QMouseEvent>
#include <QPainter>

CUnderlineButton::CUnderlineButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    setObjectName(QStringLiteral("underlineButton"));
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    QFont f = font();
    f.setPixelSize(14);
    setFont(f);
}

QSize CUnderlineButton::sizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(text()) + 16, fm.height() + 14};
}

void CUnderlineButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QColor textColor(153, 153, 153);
    if (isChecked())
        textColor = Qt::white;
    else if (m_hovered)
        textColor = QColor(204, 204, 204);
    p.setPen(textColor);
    p.setFont(font());
    p.drawText(rect().adjusted(0, 0, 0, -2), Qt::AlignCenter, text());
    if (isChecked())
        p.fillRect(QRect(2, height() - 2, width() - 4, 2), QColor(9, 119, 229));
}

void CUnderlineButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && !isChecked()) {
        setChecked(true);
        emit clicked();
    }
    event->accept();
}

void CUnderlineButton::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void CUnderlineButton::enterEvent(QEvent *event)
{
    m_hovered = true;
    update();
    QPushButton::enterEvent(event);
}

void CUnderlineButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QPushButton::leaveEvent(event);
}

#include "moc_cunderlinebutton.cpp"
