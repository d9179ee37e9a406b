#include "ui/cmessagedialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kTextStyle = QStringLiteral("color: rgba(196, 196, 196, 1);");
}

CMessageDialog::CMessageDialog(const QString &text, QWidget *parent)
    : CCustomDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setTitle(QStringLiteral("Quorvane"));
    setOkText(tr("确定"));
    hideCancelButton();

    m_messageLabel = new QLabel(text, contentWidget());
    m_messageLabel->setWordWrap(true);
    m_messageLabel->setFixedWidth(432);
    m_messageLabel->setAlignment(Qt::AlignCenter);
    m_messageLabel->setStyleSheet(kTextStyle);
    QFont f = m_messageLabel->font();
    f.setPixelSize(14);
    m_messageLabel->setFont(f);

    auto *layout = new QVBoxLayout(contentWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_messageLabel, 0, Qt::AlignCenter);
}

CMessageDialog::CMessageDialog(int switchedCount, const QList<sDeviceInfo> &failed, QWidget *parent)
    : CCustomDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedWidth(480);
    setTitle(tr("切换结果"));
    setOkText(tr("确定"));
    hideCancelButton();

    auto *grid = new QGridLayout(contentWidget());
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(50);
    grid->setVerticalSpacing(10);

    const QStringList names{tr("总共切换节点"), tr("切换成功"), tr("切换失败")};
    const QStringList values{
        QString::number(switchedCount),
        QStringLiteral("<font color ='green'>%1</font>").arg(switchedCount - failed.size()),
        failedText(failed),
    };
    QFont f = font();
    f.setPixelSize(12);
    for (int row = 0; row < names.size(); ++row) {
        auto *name = new QLabel(names.at(row), contentWidget());
        auto *value = new QLabel(values.at(row), contentWidget());
        value->setTextFormat(Qt::RichText);
        for (QLabel *l : {name, value}) {
            l->setStyleSheet(kTextStyle);
            l->setFont(f);
        }
        grid->addWidget(name, row, 0, Qt::AlignLeft | Qt::AlignTop);
        grid->addWidget(value, row, 1, Qt::AlignLeft | Qt::AlignTop);
    }
    grid->setColumnStretch(1, 1);
}

void CMessageDialog::setConfirm()
{
    setOkText(tr("确认"));
    showCancelButton();
}

QString CMessageDialog::failedText(const QList<sDeviceInfo> &failed)
{
    QString ips;
    for (int i = 0; i < failed.size(); ++i) {
        ips += QString::fromUtf8(failed.at(i).ip).toHtmlEscaped() + QLatin1Char(' ');
        if ((i + 1) % 3 == 0)
            ips += QStringLiteral("<br/>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;");
    }
    return QStringLiteral("<font color ='red'>%1 ( %2 )</font>").arg(QString::number(failed.size()), ips);
}

#include "moc_cmessagedialog.cpp"
