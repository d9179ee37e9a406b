#pragma once

#include <QPushButton>

// A checkable tab: an unchecked one is checked by a press; a checked one stays.
class CUnderlineButton : public QPushButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CUnderlineButton)

public:
    explicit CUnderlineButton(const QString &text = QString(), QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool m_hovered = false;
};
