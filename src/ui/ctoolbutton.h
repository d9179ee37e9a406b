#pragma once

#include <QColor>
#include <QPushButton>

// Flat painted button used in title rows: acts on the press, not the release.
class CToolButton : public QPushButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CToolButton)

public:
    explicit CToolButton(QWidget *parent = nullptr);
    explicit CToolButton(const QString &text, QWidget *parent = nullptr);

    void setStateColors(const QColor &normal, const QColor &hover, const QColor &pressed);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QColor m_normal = Qt::transparent;
    QColor m_hover = QColor(255, 255, 255, 26);
    QColor m_pressed = QColor(255, 255, 255, 51);
    bool m_hovered = false;
};
