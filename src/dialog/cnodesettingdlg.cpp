#include "dialog/cnodesettingdlg.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "history/ccommandhistory.h"
#include "comm/addressplan.h"
#include "comm/ipv4.h"
#include "dialog/clogexportwidget.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"
#include "ui/cipaddredit.h"
#include "ui/clineedit.h"
#include "ui/cmacaddredit.h"
#include "ui/cmessagedialog.h"
#include "ui/cunderlinebutton.h"

namespace {

constexpr int kEditorWidth = 280;
constexpr int kEditorHeight = 28;
const char *const kEditIcon = ":/res/res/image/common/edit.svg";
const char *const kEditSelectedIcon = ":/res/res/image/common/edit_selected.svg";

QWidget *readOnlyText(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("readOnlyValue"));
    label->setFocusPolicy(Qt::NoFocus);
    label->setFixedHeight(kEditorHeight);
    return label;
}

} // namespace

CNodeSettingDlg::CNodeSettingDlg(CNodeListModel *model, int64_t nodeId, QWidget *parent)
    : CCustomDialog(parent)
    , m_model(model)
    , m_nodeId(nodeId)
{
    // Both hooks decide themselves whether the dialog closes.
    setSelfClosing(true);
    setFixedWidth(480);
}

QString CNodeSettingDlg::modelName(int model)
{
    static const char *const names[] = {"Vela", "Vela-S", "Lyra", "Lyra-S"};
    // The table knows four names, but only the first two models are accepted.
    if (model == 16 || model == 17)
        return QString::fromLatin1(names[model - 16]);
    return QStringLiteral("Model_Error");
}

bool CNodeSettingDlg::ipIncomplete(const QString &ip)
{
    if (ip.isEmpty())
        return true;
    const QStringList parts = ip.split(QLatin1Char('.'));
    for (const QString &part : parts) {
        if (part.isEmpty())
            return true;
    }
    return false;
}

CNodeSettingDlg::ECheck CNodeSettingDlg::checkSettings(const CNodeListModel &model, int64_t nodeId,
                                                       const sBasicFields &fields)
{
    const QByteArray &name = fields.name;
    const QByteArray &ip = fields.ip;
    const QByteArray &mac = fields.macAddr;
    if (name.isEmpty())
        return ECheck::EmptyName;
    if (ipIncomplete(QString::fromUtf8(ip)))
        return ECheck::EmptyIp;
    if (fields.ipEdited && !Ipv4::isValid(QString::fromUtf8(ip)))
        return ECheck::InvalidIp;
    if (fields.maskEdited && !Ipv4::isValid(QString::fromUtf8(fields.mask)))
        return ECheck::InvalidMask;
    if (fields.gatewayEdited && !Ipv4::isValid(QString::fromUtf8(fields.getway)))
        return ECheck::InvalidGateway;
    // A node given an address it cannot be reached at is cut off: the three go together.
    if (fields.ipEdited || fields.maskEdited || fields.gatewayEdited) {
        switch (AddressPlan::checkOne(QString::fromUtf8(ip), QString::fromUtf8(fields.mask),
                                      QString::fromUtf8(fields.getway))) {
        case AddressPlan::ECheck::BadStart: return ECheck::InvalidIp;
        case AddressPlan::ECheck::BadMask: return ECheck::InvalidMask;
        case AddressPlan::ECheck::BadGateway: return ECheck::InvalidGateway;
        default: break;
        }
    }
    if (fields.macEdited && !CMacAddrEdit::isValidMac(QString::fromUtf8(mac)))
        return ECheck::InvalidMac;

    struct Address
    {
        int64_t id;
        QByteArray ip;
        QByteArray mac;
    };
    QVector<Address> addresses;
    for (const sDecoderInfo &r : CDecoderList::instance().nodes())
        addresses.append({r.id, r.ip, r.macAddr});
    for (const sEncoderInfo &r : CEncoderList::instance().nodes())
        addresses.append({r.id, r.ip, r.macAddr});

    // A shared IP outranks a shared MAC wherever the two turn up.
    bool macClash = false;
    for (const Address &a : qAsConst(addresses)) {
        if (a.id == nodeId)
            continue;
        if (!a.ip.isEmpty() && a.ip == ip)
            return ECheck::IpConflict;
        if (!a.mac.isEmpty() && a.mac == mac)
            macClash = true;
    }
    if (macClash)
        return ECheck::MacConflict;

    for (const sDecoderInfo &r : model.decoders()) {
        if (r.id != nodeId && r.name == name)
            return ECheck::DuplicateName;
    }
    for (const sEncoderInfo &r : model.encoders()) {
        if (r.id != nodeId && r.name == name)
            return ECheck::DuplicateName;
    }
    return ECheck::Ok;
}

void CNodeSettingDlg::fillValueList(QComboBox *combo, const QStringList &texts, int first, int current)
{
    for (int i = 0; i < texts.size(); ++i)
        combo->addItem(texts.at(i), first + i);
    int index = current - first;
    if (index < 0 || index >= texts.size()) {
        index = current < first ? 0 : texts.size();
        combo->insertItem(index, QString::number(current), current);
    }
    combo->setCurrentIndex(index);
}

void CNodeSettingDlg::fillTextList(QComboBox *combo, const QStringList &texts, const QString &current)
{
    combo->addItems(texts);
    if (!texts.contains(current))
        combo->addItem(current);
    combo->setCurrentText(current);
}

QLabel *CNodeSettingDlg::rowLabel(const char *text, QWidget *parent) const
{
    auto *label = new QLabel(trText(text), parent);
    label->setObjectName(QStringLiteral("settingLabel"));
    label->setFixedHeight(kEditorHeight);
    return label;
}

void CNodeSettingDlg::buildFrame(const char *title)
{
    setTitle(trText(title));
    setOkText(trText(QT_TR_NOOP("保存")));
    setCancelText(trText(QT_TR_NOOP("取消")));

    sDeviceInfo &rec = record();
    m_openingIp = QString::fromUtf8(rec.ip);

    auto *content = contentWidget();
    auto *contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->setSpacing(16);

    // Page strip.
    auto *strip = new QWidget(content);
    strip->setObjectName(QStringLiteral("borderBottomWidget"));
    strip->setFixedHeight(24);
    auto *stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    stripLayout->setSpacing(16);
    m_basicButton = new CUnderlineButton(trText(QT_TR_NOOP("基础设置")), strip);
    m_basicButton->setObjectName(QStringLiteral("basicButton"));
    m_basicButton->setFixedSize(90, 24);
    m_advanceButton = new CUnderlineButton(trText(QT_TR_NOOP("高级设置")), strip);
    m_advanceButton->setObjectName(QStringLiteral("advanceButton"));
    m_advanceButton->setFixedSize(108, 24);
    for (CUnderlineButton *b : {m_basicButton, m_advanceButton}) {
        QFont f = b->font();
        f.setPixelSize(12);
        f.setWeight(75);
        b->setFont(f);
        // A longer page name (English) widens its button instead of being cut off.
        b->ensurePolished();
        b->setFixedWidth(qMax(b->width(), b->sizeHint().width()));
    }
    stripLayout->addWidget(m_basicButton);
    stripLayout->addWidget(m_advanceButton);
    stripLayout->addStretch();
    contentLayout->addWidget(strip);
    connect(m_basicButton, &QPushButton::clicked, this, &CNodeSettingDlg::onBasic);
    connect(m_advanceButton, &QPushButton::clicked, this, &CNodeSettingDlg::onAdvance);

    m_pages = new QStackedWidget(content);
    contentLayout->addWidget(m_pages);

    // Basic page.
    auto *basic = new QWidget(m_pages);
    auto *grid = new QGridLayout(basic);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(32);
    grid->setVerticalSpacing(8);
    int row = 0;
    // The node type reads like the title.
    grid->addWidget(rowLabel(QT_TR_NOOP("设备类型"), basic), row, 0);
    grid->addWidget(readOnlyText(trText(title), basic), row++, 1);
    grid->addWidget(rowLabel(QT_TR_NOOP("设备型号"), basic), row, 0);
    auto *modelText = readOnlyText(modelName(rec.model), basic);
    modelText->setObjectName(QStringLiteral("modelName"));
    grid->addWidget(modelText, row++, 1);

    grid->addWidget(rowLabel(QT_TR_NOOP("节点名称"), basic), row, 0);
    m_nameEdit = new CLineEdit(QString::fromUtf8(rec.name), basic);
    m_nameEdit->setObjectName(QStringLiteral("nameEdit"));
    m_nameEdit->setFixedSize(kEditorWidth, kEditorHeight);
    grid->addWidget(m_nameEdit, row++, 1);

    grid->addWidget(rowLabel(QT_TR_NOOP("IP地址"), basic), row, 0);
    m_ipEdit = new CIpAddrEdit(basic, kEditorWidth, kEditorHeight);
    m_ipEdit->setObjectName(QStringLiteral("ipEdit"));
    m_ipEdit->setText(QString::fromUtf8(rec.ip));
    grid->addWidget(m_ipEdit, row++, 1);

    grid->addWidget(rowLabel(QT_TR_NOOP("子网掩码"), basic), row, 0);
    m_maskEdit = new CIpAddrEdit(basic, kEditorWidth, kEditorHeight);
    m_maskEdit->setObjectName(QStringLiteral("maskEdit"));
    m_maskEdit->setMaskMode(true);
    m_maskEdit->setText(QString::fromUtf8(rec.mask));
    grid->addWidget(m_maskEdit, row++, 1);

    grid->addWidget(rowLabel(QT_TR_NOOP("网关"), basic), row, 0);
    m_gatewayEdit = new CIpAddrEdit(basic, kEditorWidth, kEditorHeight);
    m_gatewayEdit->setObjectName(QStringLiteral("gatewayEdit"));
    m_gatewayEdit->setText(QString::fromUtf8(rec.getway));
    grid->addWidget(m_gatewayEdit, row++, 1);

    auto *macLabel = new QLabel(QStringLiteral("MAC"), basic);
    macLabel->setObjectName(QStringLiteral("settingLabel"));
    macLabel->setFixedHeight(kEditorHeight);
    grid->addWidget(macLabel, row, 0);
    auto *macRow = new QHBoxLayout;
    macRow->setSpacing(8);
    m_macEdit = new CMacAddrEdit(basic);
    m_macEdit->setObjectName(QStringLiteral("macEdit"));
    m_macEdit->setText(QString::fromUtf8(rec.macAddr));
    m_shownName = m_nameEdit->text();
    m_shownIp = m_ipEdit->text();
    m_shownMask = m_maskEdit->text();
    m_shownGateway = m_gatewayEdit->text();
    m_shownMac = m_macEdit->text();
    m_macEditButton = new QPushButton(basic);
    m_macEditButton->setObjectName(QStringLiteral("imageButton"));
    m_macEditButton->setFixedSize(24, 24);
    m_macEditButton->setIcon(QIcon(QString::fromLatin1(kEditIcon)));
    m_macEditButton->setFocusPolicy(Qt::NoFocus);
    connect(m_macEditButton, &QPushButton::clicked, this, &CNodeSettingDlg::onMacEditToggled);
    macRow->addWidget(m_macEdit);
    macRow->addWidget(m_macEditButton);
    macRow->addStretch();
    grid->addLayout(macRow, row++, 1);
    // Spare width goes past the editors, not between label and editor.
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(row, 1);
    m_pages->addWidget(basic);

    // Advanced page: rows are the subclass's.
    auto *advanced = new QWidget(m_pages);
    advanced->setObjectName(QStringLiteral("advancedPage"));
    m_advancedLayout = new QGridLayout(advanced);
    m_advancedLayout->setContentsMargins(0, 0, 0, 0);
    m_advancedLayout->setHorizontalSpacing(32);
    m_advancedLayout->setVerticalSpacing(8);
    m_advancedLayout->setColumnStretch(2, 1);
    m_pages->addWidget(advanced);

    m_basicButton->setChecked(true);
    m_pages->setCurrentIndex(0);
}

QPushButton *CNodeSettingDlg::makeLogExportButton(QWidget *parent)
{
    auto *button = new QPushButton(trText(QT_TR_NOOP("日志导出")), parent);
    button->setObjectName(QStringLiteral("logExportButton"));
    button->setFixedSize(120, 32);
    connect(button, &QPushButton::clicked, this, &CNodeSettingDlg::onClickExportLog);
    return button;
}

void CNodeSettingDlg::onBasic()
{
    m_advanceButton->setChecked(false);
    m_basicButton->setChecked(true);
    m_pages->setCurrentIndex(0);
}

void CNodeSettingDlg::onAdvance()
{
    m_basicButton->setChecked(false);
    m_advanceButton->setChecked(true);
    m_pages->setCurrentIndex(1);
}

void CNodeSettingDlg::onMacEditToggled()
{
    m_macUnlocked = !m_macUnlocked;
    m_macEditButton->setIcon(QIcon(QString::fromLatin1(m_macUnlocked ? kEditSelectedIcon : kEditIcon)));
    m_macEdit->setEditable(m_macUnlocked);
}

void CNodeSettingDlg::showMessage(const QString &text)
{
    CMessageDialog box(text, this);
    box.exec();
}

bool CNodeSettingDlg::validateBasic()
{
    if (!m_model)
        return false;
    const ECheck result = checkSettings(*m_model, m_nodeId, basicFields());
    const char *message = nullptr;
    switch (result) {
    case ECheck::Ok:
        return true;
    case ECheck::EmptyName:
        message = QT_TR_NOOP("名称不能为空，请重新输入");
        break;
    case ECheck::EmptyIp:
        message = QT_TR_NOOP("IP地址不能为空，请重新输入");
        break;
    case ECheck::InvalidIp:
        message = QT_TR_NOOP("IP地址无效，请重新输入");
        break;
    case ECheck::InvalidMask:
        message = QT_TR_NOOP("子网掩码无效，请重新输入");
        break;
    case ECheck::InvalidGateway:
        message = QT_TR_NOOP("网关无效，请重新输入");
        break;
    case ECheck::InvalidMac:
        message = QT_TR_NOOP("MAC地址无效，请重新输入");
        break;
    case ECheck::IpConflict:
        message = QT_TR_NOOP("IP地址与其他节点冲突，请重新输入");
        break;
    case ECheck::MacConflict:
        message = QT_TR_NOOP("MAC地址与其他节点冲突，请重新输入");
        break;
    case ECheck::DuplicateName:
        message = QT_TR_NOOP("名称已重复，请重新输入");
        break;
    }
    showMessage(trText(message));
    return false;
}

CNodeSettingDlg::sBasicFields CNodeSettingDlg::basicFields()
{
    const sDeviceInfo &rec = record();
    // An editor cannot show every stored value (an empty mask, a MAC it cannot parse):
    // what the operator did not touch goes back byte for byte.
    auto value = [](const QString &text, const QString &shown, const QByteArray &own, bool &edited) {
        edited = text != shown;
        return edited ? text.toUtf8() : own;
    };
    sBasicFields f;
    bool nameEdited = false;
    f.name = value(m_nameEdit->text(), m_shownName, rec.name, nameEdited);
    f.ip = value(m_ipEdit->text(), m_shownIp, rec.ip, f.ipEdited);
    f.mask = value(m_maskEdit->text(), m_shownMask, rec.mask, f.maskEdited);
    f.getway = value(m_gatewayEdit->text(), m_shownGateway, rec.getway, f.gatewayEdited);
    f.macAddr = value(m_macEdit->text(), m_shownMac, rec.macAddr, f.macEdited);
    return f;
}

void CNodeSettingDlg::takeBasic()
{
    const sBasicFields f = basicFields();
    sDeviceInfo &rec = record();
    rec.name = f.name;
    rec.ip = f.ip;
    rec.mask = f.mask;
    rec.getway = f.getway;
    rec.macAddr = f.macAddr;
}

bool CNodeSettingDlg::basicChanged() const
{
    return m_nameEdit->text() != m_shownName || m_ipEdit->text() != m_shownIp
        || m_maskEdit->text() != m_shownMask || m_gatewayEdit->text() != m_shownGateway
        || m_macEdit->text() != m_shownMac;
}

bool CNodeSettingDlg::confirmDiscard()
{
    CMessageDialog box(trText(QT_TR_NOOP("修改未保存，请确定是否退出？")), this);
    box.setConfirm();
    return box.exec() == QDialog::Accepted;
}

void CNodeSettingDlg::onClickExportLog()
{
    QFileDialog chooser(this, trText(QT_TR_NOOP("日志导出")), QStringLiteral("/"));
    // The Qt dialog, so the labels below are ours on every platform.
    chooser.setOption(QFileDialog::DontUseNativeDialog, true);
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly, true);
    chooser.setLabelText(QFileDialog::FileName, trText(QT_TR_NOOP("文件名:")));
    chooser.setLabelText(QFileDialog::Accept, trText(QT_TR_NOOP("选择文件夹")));
    chooser.setLabelText(QFileDialog::Reject, trText(QT_TR_NOOP("取消")));
    if (chooser.exec() != QDialog::Accepted)
        return;
    const QStringList chosen = chooser.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return;
    runLogExport(chosen.first());
}

void CNodeSettingDlg::runLogExport(const QString &folder)
{
    CLogExportWidget exporter(this);
    exporter.startLogExport(folder, record(), false);
    exporter.exec(); // the fetch keeps its own history line
}
