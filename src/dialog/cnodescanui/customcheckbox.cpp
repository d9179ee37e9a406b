#include "dialog/cnodescanui/customcheckbox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

CustomCheckBox::CustomCheckBox(QWidget *parent)
    : QWidget(parent)
    , m_checkedImage(new QSvgRenderer(QStringLiteral(":/res/res/image/common/select_checked.svg"), this))
    , m_normalImage(new QSvgRenderer(QStringLiteral(":/res/res/image/common/select_normal.svg"), this))
{
}

void CustomCheckBox::setChecked(bool checked)
{
    if (m_checked == checked)
        return;
    m_checked = checked;
    update();
}

void CustomCheckBox::setText(const QString &text)
{
    m_text = text;
    update();
}

void CustomCheckBox::setFontPixelSize(int px)
{
    QFont f = font();
    f.setPixelSize(px);
    setFont(f);
}

void CustomCheckBox::setIconRect(int x, int y, int size)
{
    m_iconRect = QRect(x, y, size, size);
    update();
}

void CustomCheckBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QSvgRenderer *image = m_checked ? m_checkedImage : m_normalImage;
    if (image->isValid())
        image->render(&painter, m_iconRect);
    painter.setPen(Qt::white);
    painter.setFont(font());
    painter.drawText(QRect(20, 0, width() - 20, height()), Qt::AlignLeft | Qt::AlignVCenter, m_text);
}

void CustomCheckBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_checked = !m_checked;
    update();
    emit stateChanged(m_checked);
}
