#include "dialog/caddnodedlg.h"

#include <QLabel>
#include <QVBoxLayout>

#include "ui/cipaddredit.h"

CAddNodeDlg::CAddNodeDlg(QWidget *parent)
    : CCustomDialog(parent)
{
    setTitle(tr("添加节点"));
    setOkText(tr("确定"));
    setCancelText(tr("取消"));

    auto *layout = new QVBoxLayout(contentWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto *label = new QLabel(tr("IP地址"), contentWidget());
    label->setObjectName(QStringLiteral("settingLabel"));
    label->setFixedHeight(16);
    layout->addWidget(label);
    m_ipEdit = new CIpAddrEdit(contentWidget(), 432, 32);
    m_ipEdit->setObjectName(QStringLiteral("ipEdit"));
    layout->addWidget(m_ipEdit);
    layout->addStretch();
}

QString CAddNodeDlg::ipText() const
{
    return m_ipEdit->text();
}
