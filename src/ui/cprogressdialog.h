#pragma once

#include <QDialog>

class QLabel;
class QTimer;

// Small frameless busy indicator for short waits; gives up after its timeout.
class CProgressDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CProgressDialog)

public:
    static constexpr int kFrameMs = 50;
    static constexpr int kImageCount = 6;

    explicit CProgressDialog(QWidget *parent = nullptr);
    ~CProgressDialog() override;

    void startWaiting(int timeoutMs = 10000);
    // Shows it window-modal (no nested loop) until stopWaiting() or the operator closes it:
    // its own timeout never ends the wait.
    void openUntilStopped();
    void stopWaiting();

    int tickCount() const { return m_tick; }
    bool isWaiting() const;
    QLabel *imageLabel() const { return m_imageLabel; }

public slots:
    void timeCount();

private:
    void showImage(int index);

    QLabel *m_imageLabel = nullptr;
    QTimer *m_timer = nullptr;
    int m_timeoutMs = 10000;
    int m_tick = 0;
};
