#include "dialog/cencodersettingdlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "model/cnodelistmodel.h"
#include "ui/cbanwheelcombobox.h"
#include "ui/clineedit.h"

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

int widthOf(const QString &resolution)
{
    return resolution.section(QLatin1Char('*'), 0, 0).toInt();
}

// Fills a value list ("24Hz", ...) carrying each value as item data. A node value that has
// no entry gets one of its own, in numeric order, so an untouched save keeps it exactly.
void fillValueCombo(CBanWheelComboBox *combo, const QList<float> &values, float current,
                    const QString &unit)
{
    auto text = [&unit](float v) { return QString::number(double(v), 'g', 6) + unit; };
    for (float v : values)
        combo->addItem(text(v), v);
    int index = combo->findText(text(current));
    if (index < 0) {
        index = 0;
        while (index < values.size() && values.at(index) < current)
            ++index;
        combo->insertItem(index, text(current), current);
    }
    combo->setCurrentIndex(index);
}

} // namespace

CEncoderSettingDlg::CEncoderSettingDlg(CNodeListModel *model, int64_t nodeId, QWidget *parent)
    : CNodeSettingDlg(model, nodeId, parent)
{
    if (model)
        model->findById(m_record, nodeId);
    buildFrame(QT_TR_NOOP("编码节点"));
    buildAdvancedPage();
}

const QStringList &CEncoderSettingDlg::resolutionList()
{
    static const QStringList list = {
        QStringLiteral("4096*2160"), QStringLiteral("3840*2160"), QStringLiteral("2560*1440"),
        QStringLiteral("1920*1200"), QStringLiteral("1920*1080"), QStringLiteral("1440*900"),
        QStringLiteral("1280*800"),  QStringLiteral("1366*768"),  QStringLiteral("1360*768"),
        QStringLiteral("1280*720"),  QStringLiteral("960*540"),   QStringLiteral("800*600"),
    };
    return list;
}

QStringList CEncoderSettingDlg::extendedResolutionList(const QString &text)
{
    QStringList list = resolutionList();
    const int width = widthOf(text);
    int pos = 0;
    while (pos < list.size() && widthOf(list.at(pos)) > width)
        ++pos;
    list.insert(pos, text);
    return list;
}

QStringList CEncoderSettingDlg::levelList(const QString &codec)
{
    if (codec == QLatin1String("H264"))
        return {QStringLiteral("Baseline"), QStringLiteral("Main"), QStringLiteral("High")};
    if (codec == QLatin1String("H265"))
        return {QStringLiteral("Main"), QStringLiteral("Main10")};
    return {};
}

void CEncoderSettingDlg::buildAdvancedPage()
{
    QGridLayout *grid = advancedLayout();
    QWidget *page = grid->parentWidget();
    int row = 0;

    grid->addWidget(rowLabel(QT_TR_NOOP("信号源分辨率"), page), row, 0);
    auto *source = new QLabel(QStringLiteral("%1*%2").arg(m_record.sourceWidth).arg(m_record.sourceHeight), page);
    source->setObjectName(QStringLiteral("sourceResolution"));
    source->setFocusPolicy(Qt::NoFocus);
    source->setFixedHeight(kComboHeight);
    grid->addWidget(source, row++, 1);

    grid->addWidget(rowLabel(QT_TR_NOOP("编码分辨率"), page), row, 0);
    m_resolutionCombo = makeCombo(QStringLiteral("resolutionCombo"), page);
    const QString resolution = QStringLiteral("%1*%2").arg(m_record.width).arg(m_record.height);
    if (resolutionList().contains(resolution)) {
        m_resolutionCombo->addItems(resolutionList());
    } else {
        m_resolutionCombo->addItems(extendedResolutionList(resolution));
        m_resolutionListExtended = true;
    }
    m_resolutionCombo->setCurrentText(resolution);
    grid->addWidget(m_resolutionCombo, row++, 1);

    grid->addWidget(rowLabel(QT_TR_NOOP("编码帧率"), page), row, 0);
    m_frameRateCombo = makeCombo(QStringLiteral("frameRateCombo"), page);
    fillValueCombo(m_frameRateCombo, {24.f, 25.f, 30.f, 60.f}, m_record.frameRate, QStringLiteral("Hz"));
    grid->addWidget(m_frameRateCombo, row++, 1);

    grid->addWidget(rowLabel(QT_TR_NOOP("视频编码"), page), row, 0);
    m_videoCombo = makeCombo(QStringLiteral("videoCombo"), page);
    fillTextList(m_videoCombo, {QStringLiteral("H264"), QStringLiteral("H265")},
                 QString::fromUtf8(m_record.videoFormat));
    grid->addWidget(m_videoCombo, row++, 1);

    grid->addWidget(rowLabel(QT_TR_NOOP("编码级别"), page), row, 0);
    m_levelCombo = makeCombo(QStringLiteral("levelCombo"), page);
    // Levels of the codec shown, so the two always belong together.
    fillValueList(m_levelCombo, levelList(m_videoCombo->currentText()), 0, m_record.level);
    grid->addWidget(m_levelCombo, row++, 1);

    grid->addWidget(rowLabel(QT_TR_NOOP("码率"), page), row, 0);
    m_bitRateCombo = makeCombo(QStringLiteral("bitRateCombo"), page);
    fillValueCombo(m_bitRateCombo, {4.f, 8.f, 10.f, 15.f, 20.f, 30.f, 40.f}, m_record.bitRate,
                   QStringLiteral("Mbps"));
    grid->addWidget(m_bitRateCombo, row++, 1);

    grid->addWidget(rowLabel(QT_TR_NOOP("音频编码"), page), row, 0);
    m_audioCombo = makeCombo(QStringLiteral("audioCombo"), page);
    fillTextList(m_audioCombo, {QStringLiteral("AAC"), QStringLiteral("G711A")},
                 QString::fromUtf8(m_record.audioFormat));
    grid->addWidget(m_audioCombo, row++, 1);

    grid->addWidget(rowLabel(QT_TR_NOOP("音频增益"), page), row, 0);
    m_gainEdit = new CLineEdit(page);
    m_gainEdit->setObjectName(QStringLiteral("gainEdit"));
    m_gainEdit->setFixedSize(kComboWidth, kComboHeight);
    m_gainEdit->setText(QString::number(m_record.audioGain));
    grid->addWidget(m_gainEdit, row++, 1);

    grid->addWidget(rowLabel(QT_TR_NOOP("USB"), page), row, 0);
    m_usbCombo = makeCombo(QStringLiteral("usbCombo"), page);
    m_usbCombo->addItems({tr("启用"), tr("禁用")});
    m_usbCombo->setCurrentIndex(m_record.enableUSB ? 0 : 1);
    grid->addWidget(m_usbCombo, row++, 1);

    grid->addWidget(rowLabel(QT_TR_NOOP("日志等级"), page), row, 0);
    m_logLevelCombo = makeCombo(QStringLiteral("logLevelCombo"), page);
    fillValueList(m_logLevelCombo,
                  {QStringLiteral("DEBUG"), QStringLiteral("INFO"), QStringLiteral("WARN"), QStringLiteral("ERROR")},
                  1, m_record.logLevel);
    grid->addWidget(m_logLevelCombo, row++, 1);

    grid->addWidget(makeLogExportButton(page), row++, 1);
    grid->setRowStretch(row, 1);

    connect(m_videoCombo, &QComboBox::currentTextChanged, this, &CEncoderSettingDlg::onVideoCodecChanged);
    connect(m_gainEdit, &QLineEdit::textChanged, this, &CEncoderSettingDlg::onGainChanged);
}

void CEncoderSettingDlg::onVideoCodecChanged(const QString &codec)
{
    const QStringList levels = levelList(codec);
    if (levels.isEmpty())
        return;
    m_levelCombo->clear();
    fillValueList(m_levelCombo, levels, 0, 0);
}

void CEncoderSettingDlg::onGainChanged(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        return;
    if (value < 0)
        m_gainEdit->setText(QStringLiteral("0"));
    else if (value > 100)
        m_gainEdit->setText(QStringLiteral("100"));
}

void CEncoderSettingDlg::resolutionFromCombo(int &width, int &height) const
{
    const QStringList parts = m_resolutionCombo->currentText().split(QLatin1Char('*'), Qt::SkipEmptyParts);
    width = parts.size() > 0 ? parts.at(0).toInt() : -1;
    height = parts.size() > 1 ? parts.at(1).toInt() : -1;
}

void CEncoderSettingDlg::onOkClicked()
{
    if (!validateBasic())
        return;
    takeBasic();
    m_record.enableUSB = m_usbCombo->currentIndex() == 0;
    m_record.logLevel = m_logLevelCombo->currentData().toInt();
    resolutionFromCombo(m_record.width, m_record.height);
    m_record.frameRate = m_frameRateCombo->currentData().toFloat();
    m_record.bitRate = m_bitRateCombo->currentData().toFloat();
    m_record.level = m_levelCombo->currentData().toInt();
    m_record.videoFormat = m_videoCombo->currentText().toUtf8();
    m_record.audioFormat = m_audioCombo->currentText().toUtf8();
    m_record.audioGain = m_gainEdit->text().toInt();
    if (model())
        model()->updateById(m_record, nodeId());
    accept();
}

void CEncoderSettingDlg::onCancelClicked()
{
    int width = 0;
    int height = 0;
    resolutionFromCombo(width, height);
    // A node whose resolution had to be added to the list may pick another without asking.
    const bool resolutionChanged =
        !m_resolutionListExtended && (width != m_record.width || height != m_record.height);
    const bool changed = basicChanged() || (m_usbCombo->currentIndex() == 0) != m_record.enableUSB
        || m_logLevelCombo->currentData().toInt() != m_record.logLevel || resolutionChanged
        || m_frameRateCombo->currentData().toFloat() != m_record.frameRate
        || m_bitRateCombo->currentData().toFloat() != m_record.bitRate
        || m_levelCombo->currentData().toInt() != m_record.level
        || m_videoCombo->currentText().toUtf8() != m_record.videoFormat
        || m_audioCombo->currentText().toUtf8() != m_record.audioFormat
        || m_gainEdit->text().toInt() != m_record.audioGain;
    if (!changed || confirmDiscard())
        reject();
}
