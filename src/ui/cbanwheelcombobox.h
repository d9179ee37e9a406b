#pragma once

#include <QComboBox>

// A combo box the mouse wheel cannot change, with its popup pinned under (or over) it.
class CBanWheelComboBox : public QComboBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CBanWheelComboBox)

public:
    explicit CBanWheelComboBox(QWidget *parent = nullptr);

    // Non-zero: a popup at least this tall opens above the box.
    void setPopupThreshold(int height);
    int popupThreshold() const { return m_popupThreshold; }

    void showPopup() override;

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    int m_popupThreshold = 0;
};
