#include "ui/ctoolbutton.h"

#include <QMouseEvent>
#include <QPainter>

CToolButton::CToolButton(QWidget *parent)
    : CToolButton(QString(), parent)
{
}

CToolButton::CToolButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent)
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    QFont f = font();
    f.setPixelSize(14);
    setFont(f);
}

void CToolButton::setStateColors(const QColor &normal, const QColor &hover, const QColor &pressed)
{
    m_normal = normal;
    m_hover = hover;
    m_pressed = pressed;
    update();
}

void CToolButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = m_normal;
    if (isDown() || isChecked())
        fill = m_pressed;
    else if (m_hovered)
        fill = m_hover;
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(rect(), 4, 4);

    const QRect r = rect();
    if (!icon().isNull()) {
        const QSize is = iconSize().boundedTo(r.size());
        const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
        if (text().isEmpty()) {
            const QRect ir(QPoint(r.center().x() - is.width() / 2 + 1, r.center().y() - is.height() / 2 + 1), is);
            icon().paint(&p, ir, Qt::AlignCenter, mode);
            return;
        }
        const QRect ir(QPoint(r.left() + 6, r.center().y() - is.height() / 2 + 1), is);
        icon().paint(&p, ir, Qt::AlignCenter, mode);
        p.setPen(isEnabled() ? QColor(255, 255, 255) : QColor(120, 120, 120));
        p.setFont(font());
        p.drawText(r.adjusted(is.width() + 12, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, text());
        return;
    }
    p.setPen(isEnabled() ? QColor(255, 255, 255) : QColor(120, 120, 120));
    p.setFont(font());
    p.drawText(r, Qt::AlignCenter, text());
}

void CToolButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QPushButton::mousePressEvent(event);
        return;
    }
    setDown(true);
    emit pressed();
    emit clicked(isChecked());
    event->accept();
}

void CToolButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QPushButton::mouseReleaseEvent(event);
        return;
    }
    setDown(false);
    emit released();
    event->accept();
}

void CToolButton::enterEvent(QEvent *event)
{
    m_hovered = true;
    update();
    QPushButton::enterEvent(event);
}

void CToolButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QPushButton::leaveEvent(event);
}

#include "moc_ctoolbutton.cpp"
