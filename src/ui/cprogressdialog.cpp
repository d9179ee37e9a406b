#include "ui/cprogressdialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

CProgressDialog::CProgressDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(80, 80);

    m_imageLabel = new QLabel(this);
    m_imageLabel->setObjectName(QStringLiteral("waitImage"));
    m_imageLabel->setFixedSize(80, 80);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_imageLabel);
    showImage(0);

    m_timer = new QTimer(this);
    m_timer->setInterval(kFrameMs);
    connect(m_timer, &QTimer::timeout, this, &CProgressDialog::timeCount);
}

CProgressDialog::~CProgressDialog()
{
    m_timer->stop();
}

bool CProgressDialog::isWaiting() const
{
    return m_timer->isActive();
}

void CProgressDialog::startWaiting(int timeoutMs)
{
    m_timeoutMs = timeoutMs;
    m_tick = 0;
    m_timer->start();

    QRect area;
    if (QWidget *p = parentWidget())
        area = QRect(p->mapToGlobal(QPoint(0, 0)), p->size());
    else if (QScreen *screen = QGuiApplication::primaryScreen())
        area = screen->geometry();
    if (area.isValid())
        move(area.center().x() - width() / 2, area.center().y() - height() / 2);
}

void CProgressDialog::openUntilStopped()
{
    // Longer than any command or scan.
    startWaiting(24 * 3600 * 1000);
    open();
}

void CProgressDialog::stopWaiting()
{
    m_timer->stop();
    reject();
}

void CProgressDialog::timeCount()
{
    showImage(m_tick % kImageCount);
    if (m_tick * kFrameMs > m_timeoutMs) {
        m_timer->stop();
        reject();
    }
    ++m_tick;
}

void CProgressDialog::showImage(int index)
{
    m_imageLabel->setStyleSheet(
        QStringLiteral("QLabel{image:url(:/res/res/image/wait/wait%1.svg);}").arg(index));
}

#include "moc_cprogressdialog.cpp"
