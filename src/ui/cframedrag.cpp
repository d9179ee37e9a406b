#include "ui/cframedrag.h"

#include <QMouseEvent>
#include <QWidget>

bool CFrameDrag::press(QWidget *window, QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || event->pos().y() >= m_bandHeight)
        return false;
    m_dragging = true;
    m_offset = event->screenPos().toPoint() - window->pos();
    event->accept();
    return true;
}

bool CFrameDrag::move(QWidget *window, QMouseEvent *event)
{
    if (!m_dragging)
        return false;
    window->move(event->screenPos().toPoint() - m_offset);
    event->accept();
    return true;
}
