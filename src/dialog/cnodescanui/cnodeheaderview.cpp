#include "dialog/cnodescanui/cnodeheaderview.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyleOption>

#include "appevent.h"
#include "cappconfig.h"
#include "dialog/cnodescanui/customcheckbox.h"

namespace {
constexpr int ElementHeight = CNodeHeaderView::HeaderHeight * 8 / 10;
constexpr int TitleWidth = 150;
constexpr int BoxWidth = 100;
constexpr int CheckSize = 16;

QFont headerFont(const QFont &base)
{
    QFont f = base;
    f.setPixelSize(14);
    f.setWeight(75);
    return f;
}
} // namespace

CNodeHeaderView::CNodeHeaderView(QWidget *parent)
    : QWidget(parent)
    , m_selectAll(new CustomCheckBox(this))
{
    setObjectName(QStringLiteral("nodeHeaderView"));
    setFixedHeight(HeaderHeight);

    m_selectAll->setFixedSize(TitleWidth, ElementHeight);
    m_selectAll->setFont(headerFont(font()));
    m_selectAll->setFontPixelSize(14);
    // Centred like the text beside it and the row check marks below it.
    m_selectAll->setIconRect(0, (ElementHeight - CheckSize) / 2, CheckSize);
    m_selectAll->setStyleSheet(QStringLiteral("QCheckBox::indicator {width: 16px; height: 16px;}"));

    m_nameTitle = makeTitle();
    m_signalTitle = makeTitle();
    m_firmware1Title = makeTitle();
    m_firmware2Title = makeTitle();
    m_firmware1Title->hide();
    m_firmware2Title->hide();
    m_ipTitle = makeTitle();
    m_typeBox = makeBox();
    m_modeBox = makeBox();
    m_versionBox = makeBox();

    connect(m_selectAll, &CustomCheckBox::stateChanged, this, &CNodeHeaderView::allSelectStateChange);
    connect(m_typeBox, QOverload<int>::of(&QComboBox::activated), this, [this](int) {
        emit sigTypeIndexChanged(typeForText(m_typeBox->currentText()));
    });
    connect(m_modeBox, QOverload<int>::of(&QComboBox::activated), this, [this](int) { emit sigModelIndexChanged(); });
    connect(m_versionBox, QOverload<int>::of(&QComboBox::activated), this,
            [this](int) { emit sigVersionIndexChanged(); });
    connect(AppEvent::instance(), &AppEvent::changeLanguge, this, &CNodeHeaderView::ChangeLangue);

    ChangeLangue(CAppConfig::instance()->language());
}

QLabel *CNodeHeaderView::makeTitle()
{
    auto *label = new QLabel(this);
    label->setFixedSize(TitleWidth, ElementHeight);
    label->setFont(headerFont(font()));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    return label;
}

QComboBox *CNodeHeaderView::makeBox()
{
    auto *box = new QComboBox(this);
    box->setObjectName(QStringLiteral("tableBox"));
    box->setFixedSize(BoxWidth, ElementHeight);
    // The size hint follows the items, so an English "All versions" can be given room.
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    box->setView(new QListView(box));
    return box;
}

ENodeType CNodeHeaderView::typeForText(const QString &text)
{
    if (text == QStringLiteral("所有类型") || text == QLatin1String("All Types"))
        return AllNodeTypes;
    if (text == QStringLiteral("解码节点") || text == QLatin1String("Decoder"))
        return DecoderNode;
    if (text == QStringLiteral("编码节点") || text == QLatin1String("Encoder"))
        return EncoderNode;
    return AllNodeTypes;
}

void CNodeHeaderView::setItems(QComboBox *box, const QStringList &items)
{
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItems(items);
}

void CNodeHeaderView::setTypeItems(const QStringList &items)
{
    setItems(m_typeBox, items);
    layoutColumns();
}

void CNodeHeaderView::setModeItems(const QStringList &items)
{
    setItems(m_modeBox, items);
    layoutColumns();
}

void CNodeHeaderView::setVersionItems(const QStringList &items)
{
    setItems(m_versionBox, items);
    layoutColumns();
}

void CNodeHeaderView::setCurrentFilters(int typeIndex, const QString &modeText, const QString &versionText)
{
    const QSignalBlocker b1(m_typeBox);
    const QSignalBlocker b2(m_modeBox);
    const QSignalBlocker b3(m_versionBox);
    m_typeBox->setCurrentIndex(typeIndex);
    // A text no longer listed (a version gone after a rescan) falls back to "all".
    const int mode = m_modeBox->findText(modeText);
    m_modeBox->setCurrentIndex(mode >= 0 ? mode : 0);
    const int version = m_versionBox->findText(versionText);
    m_versionBox->setCurrentIndex(version >= 0 ? version : 0);
}

void CNodeHeaderView::resetOtherBoxes(Box changed)
{
    if (changed != Box::Type)
        m_typeBox->setCurrentIndex(0);
    if (changed != Box::Mode)
        m_modeBox->setCurrentIndex(0);
    if (changed != Box::Version)
        m_versionBox->setCurrentIndex(0);
    setSelectedCount(0);
}

QString CNodeHeaderView::currentModeText() const { return m_modeBox->currentText(); }
QString CNodeHeaderView::currentVersionText() const { return m_versionBox->currentText(); }
int CNodeHeaderView::currentTypeIndex() const { return m_typeBox->currentIndex(); }
QString CNodeHeaderView::ipTitleText() const { return m_ipTitle->text(); }

void CNodeHeaderView::setSelectedCount(int count)
{
    m_selectedCount = count;
    updateCountText();
}

void CNodeHeaderView::updateCountText()
{
    QString text = m_lang == QLatin1String("EN") ? QStringLiteral("No.") : tr("序号");
    if (m_selectedCount > 0)
        text += QStringLiteral("(%1)").arg(m_selectedCount);
    m_selectAll->setText(text);
}

void CNodeHeaderView::setScrollBarAllowance(int pixels)
{
    m_scrollAllowance = pixels;
    layoutColumns();
}

// Runs before the translator is swapped, so the English titles cannot come from it.
void CNodeHeaderView::ChangeLangue(const QString &toLang)
{
    m_lang = toLang;
    const bool en = toLang == QLatin1String("EN");
    m_nameTitle->setText(en ? QStringLiteral("Node name") : tr("节点名称"));
    m_signalTitle->setText(en ? QStringLiteral("Signal name") : tr("信号源名称"));
    m_firmware1Title->setText(en ? QStringLiteral("Firmware 1 version") : tr("固件1版本"));
    m_firmware2Title->setText(en ? QStringLiteral("Firmware 2 version") : tr("固件2版本"));
    m_ipTitle->setText(en ? QStringLiteral("IP address") : tr("IP地址"));
    updateCountText();
}

void CNodeHeaderView::changeEvent(QEvent *event)
{
    // Chinese titles go through the translator, which changes after ChangeLangue.
    if (event->type() == QEvent::LanguageChange)
        ChangeLangue(m_lang);
    QWidget::changeEvent(event);
}

void CNodeHeaderView::allSelectState(bool state)
{
    m_selectAll->setChecked(state);
}

void CNodeHeaderView::allSelectStateChange(bool state)
{
    emit sigStateChanged(state ? 1 : 0);
}

void CNodeHeaderView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutColumns();
}

void CNodeHeaderView::paintEvent(QPaintEvent *)
{
    // Lets the application style sheet give the header its background.
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

void CNodeHeaderView::layoutColumns()
{
    const int c = (width() - FirstColumnWidth - LeftMargin - RightMargin - ColumnGap - m_scrollAllowance) / 6;
    const auto centred = [](QWidget *w) { return (HeaderHeight - w->height()) / 2; };
    // 100 wide, wider only when an item would be cut off, never into the next column.
    const int widest = qMax(BoxWidth, c - ColumnGap);
    for (QComboBox *box : {m_typeBox, m_modeBox, m_versionBox}) {
        box->ensurePolished();
        box->setFixedWidth(qBound(BoxWidth, box->sizeHint().width(), widest));
    }

    m_selectAll->move(LeftMargin, centred(m_selectAll));
    const int first = LeftMargin + FirstColumnWidth + ColumnGap;
    m_nameTitle->move(first, centred(m_nameTitle));
    m_typeBox->move(first + c, centred(m_typeBox));
    m_signalTitle->move(first + 2 * c, centred(m_signalTitle));
    m_versionBox->move(first + 3 * c, centred(m_versionBox));
    m_modeBox->move(first + 4 * c, centred(m_modeBox));
    m_ipTitle->setFixedWidth(qMax(0, c - ColumnGap));
    m_ipTitle->move(first + 5 * c, centred(m_ipTitle));
}
