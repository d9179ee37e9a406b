#include "dialog/cupdatedlg.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialog/filechooser.h"
#include "ui/cmessagedialog.h"

CUpdateDlg::CUpdateDlg(QWidget *parent) : CCustomDialog(parent)
{
    setWindowFlags(Qt::FramelessWindowHint | Qt::Dialog);
    setFixedSize(480, 216);
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
    layout->addStretch();

    connect(m_browseButton, &QPushButton::clicked, this, &CUpdateDlg::onSelectPath);
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
