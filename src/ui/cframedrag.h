#pragma once

#include <QPoint>

class QMouseEvent;
class QWidget;

// Moves a frameless window by a band along its top: a left press inside the band starts,
// moves follow the cursor, the release ends.
class CFrameDrag final
{
    Q_DISABLE_COPY_MOVE(CFrameDrag)

public:
    explicit CFrameDrag(int bandHeight)
        : m_bandHeight(bandHeight)
    {
    }

    // Each returns true when it used the event.
    bool press(QWidget *window, QMouseEvent *event);
    bool move(QWidget *window, QMouseEvent *event);
    void release() { m_dragging = false; }

    bool isDragging() const { return m_dragging; }

private:
    int m_bandHeight = 0;
    bool m_dragging = false;
    QPoint m_offset;
};
