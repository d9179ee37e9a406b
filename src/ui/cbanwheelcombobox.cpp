#include "ui/cbanwheelcombobox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QWheelEvent>

CBanWheelComboBox::CBanWheelComboBox(QWidget *parent)
    : QComboBox(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void CBanWheelComboBox::setPopupThreshold(int height)
{
    m_popupThreshold = height;
}

void CBanWheelComboBox::showPopup()
{
    // The slide animation would fight the repositioning below.
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false);
    QComboBox::showPopup();
    QWidget *popup = view() ? view()->window() : nullptr;
    if (!popup || popup == window())
        return;
    const int popupHeight = popup->height();
    QPoint pos;
    if (m_popupThreshold != 0 && popupHeight >= m_popupThreshold)
        pos = mapToGlobal(QPoint(0, -popupHeight));
    else
        pos = mapToGlobal(QPoint(0, height() + 1));
    popup->move(pos);
}

void CBanWheelComboBox::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}

#include "moc_cbanwheelcombobox.cpp"
