#include "dialog/cnetconfigdlg.h"

#include <QCheckBox>
#include <QDebug>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "comm/addressplan.h"
#include "comm/ipv4.h"
#include "ui/cipaddredit.h"
#include "ui/cmessagedialog.h"

namespace {

constexpr int kEditorWidth = 250;
constexpr int kEditorHeight = 28;

} // namespace

CNetConfigDlg::CNetConfigDlg(const QString &startIp, const QString &gateway, const QString &mask,
                             QWidget *parent)
    : CCustomDialog(parent)
    , m_currentIp(startIp)
{
    // OK accepts only once the plan check has passed.
    setKeepOpenOnOk(true);
    setFixedWidth(480);
    setTitle(tr("网络配置"));
    setOkText(tr("确定"));
    setCancelText(tr("取消"));

    auto *layout = new QVBoxLayout(contentWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    // Never shown: the second page is only reachable through it.
    m_autoConfig = new QCheckBox(tr("自动配置"), contentWidget());
    m_autoConfig->setVisible(false);
    layout->addWidget(m_autoConfig);
    m_pages = new QStackedWidget(contentWidget());
    m_pages->addWidget(buildAddressPage());
    m_pages->addWidget(buildPathPage());
    layout->addWidget(m_pages);
    connect(m_autoConfig, &QCheckBox::toggled, m_pages, [this](bool on) { m_pages->setCurrentIndex(on ? 1 : 0); });

    m_startIpEdit->setText(startIp);
    m_maskEdit->setText(mask);
    m_gatewayEdit->setText(gateway);
}

QWidget *CNetConfigDlg::buildAddressPage()
{
    auto *page = new QWidget(m_pages);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto addRow = [&](const QString &label, CIpAddrEdit *&edit, const QString &name) {
        auto *text = new QLabel(label, page);
        text->setObjectName(QStringLiteral("settingLabel"));
        layout->addWidget(text);
        edit = new CIpAddrEdit(page, kEditorWidth, kEditorHeight);
        edit->setObjectName(name);
        layout->addWidget(edit);
        layout->addSpacing(8);
    };
    addRow(tr("起始IP"), m_startIpEdit, QStringLiteral("startIpEdit"));
    addRow(tr("子网掩码"), m_maskEdit, QStringLiteral("maskEdit"));
    m_maskEdit->setMaskMode(true);
    addRow(tr("网关"), m_gatewayEdit, QStringLiteral("gatewayEdit"));
    layout->addStretch();
    return page;
}

QWidget *CNetConfigDlg::buildPathPage()
{
    auto *page = new QWidget(m_pages);
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(0, 0, 0, 0);
    int row = 0;
    for (const QString &buttonText : {tr("导入"), tr("导出")}) {
        grid->addWidget(new QLabel(tr("路径"), page), row, 0);
        grid->addWidget(new QLineEdit(page), row, 1);
        auto *button = new QPushButton(buttonText, page);
        grid->addWidget(button, row, 2);
        connect(button, &QPushButton::clicked, this, row == 0 ? &CNetConfigDlg::importPath : &CNetConfigDlg::exportPath);
        ++row;
    }
    return page;
}

QString CNetConfigDlg::startIp() const
{
    return m_startIpEdit->text();
}

QString CNetConfigDlg::mask() const
{
    return m_maskEdit->text();
}

QString CNetConfigDlg::gateway() const
{
    return m_gatewayEdit->text();
}

void CNetConfigDlg::onOkClicked()
{
    m_currentIp = m_startIpEdit->text();
    // The plan the job will send, so that every address sent has been checked.
    switch (AddressPlan::check(m_currentIp, mask(), gateway(), m_selectedIps, m_unselectedIps)) {
    case AddressPlan::ECheck::Ok:
        accept();
        return;
    case AddressPlan::ECheck::BadStart:
        showMessage(tr("起始IP无效，请重新输入"));
        return;
    case AddressPlan::ECheck::BadMask:
        showMessage(tr("子网掩码无效，请重新输入"));
        return;
    case AddressPlan::ECheck::BadGateway:
        showMessage(tr("网关无效，请重新输入"));
        return;
    case AddressPlan::ECheck::Conflict:
        showMessage(tr("将要配置的节点IP和已有未选中节点IP冲突，请重新配置IP"));
        return;
    case AddressPlan::ECheck::RunsOut:
        showMessage(tr("起始IP之后的地址不够分配给所有选中的节点，请重新配置IP"));
        return;
    }
}

void CNetConfigDlg::showMessage(const QString &text)
{
    CMessageDialog box(text, this);
    box.exec();
}

void CNetConfigDlg::importPath()
{
    const QString file = QFileDialog::getOpenFileName(this, tr("标题"), QStringLiteral("."), QStringLiteral("*.txt"));
    qDebug() << file;
}

void CNetConfigDlg::exportPath()
{
    // No address plan file is defined.
}
