#include "dialog/cdecodersettingdlg.h"
#include "model/nodenames.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "model/cnodelistmodel.h"
#include "ui/cbanwheelcombobox.h"
#include "ui/cresolutionedit.h"

namespace {

constexpr int kComboWidth = 200;
constexpr int kComboHeight = 28;

CBanWheelComboBox *makeCombo(const QString &name, QWidget *parent)
{
    auto *combo = new CBanWheelComboBox(parent);
    combo->setObjectName(name);
    combo->setFixedSize(kComboWidth, kComboHeight);
    return combo;
}

} // namespace

CDecoderSettingDlg::CDecoderSettingDlg(CNodeListModel *model, int64_t nodeId, QWidget *parent)
    : CNodeSettingDlg(model, nodeId, parent)
{
    if (model)
        model->findById(m_record, nodeId);
    buildFrame(QT_TR_NOOP("解码节点"));
    buildAdvancedPage();
}

const QStringList &CDecoderSettingDlg::resolutionList()
{
    static const QStringList list = {
        QStringLiteral("3840*2160"), QStringLiteral("2560*1440"), QStringLiteral("1920*1200"),
        QStringLiteral("1920*1080"), QStringLiteral("1440*900"),  QStringLiteral("1280*800"),
        QStringLiteral("1360*768"),  QStringLiteral("1280*720"),  QStringLiteral("960*540"),
        QStringLiteral("800*600"),
    };
    return list;
}

void CDecoderSettingDlg::buildAdvancedPage()
{
    QGridLayout *grid = advancedLayout();
    QWidget *page = grid->parentWidget();
    int row = 0;

    grid->addWidget(rowLabel(QT_TR_NOOP("音频输出模式"), page), row, 0);
    m_audioCombo = makeCombo(QStringLiteral("audioCombo"), page);
    fillValueList(m_audioCombo, {QStringLiteral("HDMI"), QStringLiteral("3.5mm")}, 0, m_record.audioOutput);
    grid->addWidget(m_audioCombo, row++, 1);

    grid->addWidget(rowLabel(QT_TR_NOOP("设备模式"), page), row, 0);
    m_modeCombo = makeCombo(QStringLiteral("modeCombo"), page);
    QStringList modes;
    for (int mode = 0; mode < NodeNames::ModeCount; ++mode)
        modes.append(NodeNames::modeName(mode));
    fillValueList(m_modeCombo, modes, 0, m_record.mode);
    grid->addWidget(m_modeCombo, row++, 1);

    grid->addWidget(rowLabel(QT_TR_NOOP("输出分辨率"), page), row, 0);
    m_resolutionCombo = makeCombo(QStringLiteral("resolutionCombo"), page);
    m_resolutionCombo->setEditable(true);
    m_resolutionCombo->setInsertPolicy(QComboBox::NoInsert);
    m_resolutionEdit = new CResolutionEdit(m_resolutionCombo);
    m_resolutionEdit->setObjectName(QStringLiteral("resolutionEdit"));
    // Only the two fields take input, and what they take is never applied.
    m_resolutionEdit->setReadOnly(true);
    m_resolutionCombo->setLineEdit(m_resolutionEdit);
    m_resolutionCombo->addItems(resolutionList());
    const QString current = QStringLiteral("%1*%2").arg(m_record.w).arg(m_record.h);
    // Select the listed entry (none when unlisted) so that choosing any entry is a change.
    m_resolutionCombo->setCurrentIndex(m_resolutionCombo->findText(current));
    m_resolutionCombo->setEditText(current);
    m_resolutionEdit->setText(current);
    m_resolutionCombo->setEnabled(m_record.mode != 0);
    grid->addWidget(m_resolutionCombo, row++, 1);

    grid->addWidget(makeLogExportButton(page), row++, 1);

    grid->addWidget(rowLabel(QT_TR_NOOP("日志等级"), page), row, 0);
    m_logLevelCombo = makeCombo(QStringLiteral("logLevelCombo"), page);
    fillValueList(m_logLevelCombo,
                  {QStringLiteral("DEBUG"), QStringLiteral("INFO"), QStringLiteral("WARN"), QStringLiteral("ERROR")},
                  1, m_record.logLevel);
    grid->addWidget(m_logLevelCombo, row++, 1);
    grid->setRowStretch(row, 1);

    connect(m_resolutionCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CDecoderSettingDlg::onResolutionIndexChanged);
    connect(m_modeCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CDecoderSettingDlg::onModeChanged);
}

void CDecoderSettingDlg::onResolutionIndexChanged(int index)
{
    const QString text = m_resolutionCombo->itemText(index);
    const QStringList parts = text.split(QLatin1Char('*'), Qt::SkipEmptyParts);
    m_record.w = parts.isEmpty() ? 0 : parts.value(0).toInt();
    m_record.h = parts.isEmpty() ? 0 : parts.value(1).toInt();
    m_resolutionEdit->setText(text);
}

void CDecoderSettingDlg::onModeChanged(int index)
{
    // The video wall takes its output resolution from the wall, not from here.
    m_resolutionCombo->setEnabled(m_modeCombo->itemData(index).toInt() != 0);
}

void CDecoderSettingDlg::onOkClicked()
{
    if (!validateBasic())
        return;
    takeBasic();
    m_record.mode = m_modeCombo->currentData().toInt();
    m_record.audioOutput = m_audioCombo->currentData().toInt();
    m_record.logLevel = m_logLevelCombo->currentData().toInt();
    if (model())
        model()->updateById(m_record, nodeId());
    accept();
}

void CDecoderSettingDlg::onCancelClicked()
{
    // The output resolution is not counted: it is written through at once.
    const bool changed = basicChanged() || m_logLevelCombo->currentData().toInt() != m_record.logLevel
        || m_modeCombo->currentData().toInt() != m_record.mode
        || m_audioCombo->currentData().toInt() != m_record.audioOutput;
    if (!changed || confirmDiscard())
        reject();
}
