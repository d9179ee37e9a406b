#include "dialog/cdevicerestartdlg.h"

#include <QLabel>
#include <QVBoxLayout>

CDeviceRestartDlg::CDeviceRestartDlg(const QString &title, QWidget *parent)
    : CCustomDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setTitle(title);
    setOkText(tr("确定"));
    setCancelText(tr("取消"));

    m_message = new QLabel(tr("是否重启设备？"), contentWidget());
    m_message->setFixedHeight(16);
    m_message->setStyleSheet(QStringLiteral("color: rgba(196, 196, 196, 1);"));

    auto *layout = new QVBoxLayout(contentWidget());
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_message);
}

void CDeviceRestartDlg::setText(const QString &message)
{
    m_message->setText(message);
    // One 16-pixel line per line of the question (the reach of a command is a second one).
    m_message->setFixedHeight(20 * (message.count(QLatin1Char('\n')) + 1) - 4);
}

QString CDeviceRestartDlg::text() const
{
    return m_message->text();
}

bool CDeviceRestartDlg::ask(const QString &title, const QString &message, QWidget *parent)
{
    CDeviceRestartDlg dlg(title, parent);
    dlg.setText(message);
    dlg.setFixedSize(480, 180 + 20 * message.count(QLatin1Char('\n')));
    return dlg.exec() == QDialog::Accepted;
}
