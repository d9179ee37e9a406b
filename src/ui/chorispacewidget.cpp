#include "ui/chorispacewidget.h"

#include <QPainter>

CHoriSpaceWidget::CHoriSpaceWidget(QWidget *parent)
    : QWidget(parent)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CHoriSpaceWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(17, 17, 17));
}

#include "moc_chorispacewidget.cpp"
