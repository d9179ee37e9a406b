#include "dialog/cupdatedlg.h"

#include <QCheckBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "dialog/filechooser.h"
#include "ui/cmessagedialog.h"

namespace {
const QSize kClosedSize(480, 216);
const QSize kOpenSize(480, 416);

QSpinBox *numberBox(int low, int high, int value, const QString &zeroText, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setRange(low, high);
    box->setValue(value);
    box->setFixedHeight(28);
    if (!zeroText.isEmpty())
        box->setSpecialValueText(zeroText);
    return box;
}
} // namespace

CUpdateDlg::CUpdateDlg(QWidget *parent) : CCustomDialog(parent)
{
    setWindowFlags(Qt::FramelessWindowHint | Qt::Dialog);
    setFixedSize(kClosedSize);
    setOkText(tr("确定"));
    setCancelText(tr("取消"));
    setKeepOpenOnOk(true);

    auto *label = new QLabel(tr("路径"), contentWidget());
    label->setFixedHeight(16);
    m_pathEdit = new QLineEdit(contentWidget());
    m_pathEdit->setReadOnly(true);
    m_pathEdit->setFixedHeight(28);
    m_browseButton = new QPushButton(tr("浏览"), contentWidget());
    m_browseButton->setObjectName(QStringLiteral("blueButton"));
    m_browseButton->setFixedSize(120, 28);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(m_pathEdit);
    row->addWidget(m_browseButton);
    auto *layout = new QVBoxLayout(contentWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(label);
    layout->addLayout(row);

    // The staged rollout, folded away: its defaults are the plain upgrade of every node at once.
    m_foldButton = new QToolButton(contentWidget());
    m_foldButton->setObjectName(QStringLiteral("rolloutFold"));
    m_foldButton->setText(tr("分批升级与验证"));
    m_foldButton->setCheckable(true);
    m_foldButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_foldButton->setArrowType(Qt::RightArrow);
    m_foldButton->setAutoRaise(true);
    m_foldPanel = new QWidget(contentWidget());
    m_foldPanel->setObjectName(QStringLiteral("rolloutPanel"));
    m_canary = numberBox(0, 100000, 0, tr("不使用"), m_foldPanel);
    m_wave = numberBox(0, 100000, 0, tr("全部同时"), m_foldPanel);
    m_maxFailures = numberBox(0, 100000, 0, tr("不限"), m_foldPanel);
    m_verifyTimeout = numberBox(10, 86400, sRolloutOptions::kDefaultVerifyTimeoutSec, QString(), m_foldPanel);
    m_verifyTimeout->setSuffix(tr(" 秒"));
    m_skipCurrent = new QCheckBox(tr("跳过已是该版本的节点"), m_foldPanel);
    auto *form = new QFormLayout(m_foldPanel);
    form->setContentsMargins(0, 0, 0, 0);
    form->setSpacing(6);
    form->addRow(tr("试点节点数（按地址顺序，全部验证后才继续）"), m_canary);
    form->addRow(tr("每批节点数"), m_wave);
    form->addRow(tr("失败多少个后停止"), m_maxFailures);
    form->addRow(tr("版本验证时限"), m_verifyTimeout);
    form->addRow(m_skipCurrent);
    m_foldPanel->hide();
    layout->addWidget(m_foldButton);
    layout->addWidget(m_foldPanel);
    layout->addStretch();

    connect(m_browseButton, &QPushButton::clicked, this, &CUpdateDlg::onSelectPath);
    connect(m_foldButton, &QToolButton::toggled, this, &CUpdateDlg::setFoldOpen);
}

void CUpdateDlg::setFoldOpen(bool open)
{
    if (m_foldButton->isChecked() != open)
        m_foldButton->setChecked(open); // comes back here through toggled
    m_foldButton->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    m_foldPanel->setVisible(open);
    setFixedSize(open ? kOpenSize : kClosedSize);
}

sRolloutOptions CUpdateDlg::rollout() const
{
    sRolloutOptions options;
    options.canary = m_canary->value();
    options.wave = m_wave->value();
    options.maxFailures = m_maxFailures->value();
    options.skipCurrent = m_skipCurrent->isChecked();
    options.verifyTimeoutSec = m_verifyTimeout->value();
    return options;
}

void CUpdateDlg::setPath(const QString &path)
{
    m_pathEdit->setText(path);
}

QString CUpdateDlg::path() const
{
    return m_pathEdit->text();
}

void CUpdateDlg::onSelectPath()
{
    const QString file = FileChooser::chooseFile(nullptr, QStringLiteral("Quorvane"), QDir::currentPath(),
                                                 QStringLiteral("vela*"), {tr("文件名:"), tr("打开"), tr("取消")});
    if (!file.isEmpty())
        setPath(file);
}

void CUpdateDlg::onOkClicked()
{
    if (path().isEmpty()) {
        CMessageDialog message(tr("请选择有效的升级路径"), this);
        message.exec();
        return;
    }
    accept();
}
