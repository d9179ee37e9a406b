#include "dialog/cnodescanui/cnodeheaderview.h"

#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyleOption>

#include "app/appevent.h"
#include "config/cappconfig.h"
#include "dialog/cnodescanui/customcheckbox.h"
#include "model/nodenames.h"

namespace {
constexpr int ElementHeight = CNodeHeaderView::HeaderHeight * 8 / 10;
constexpr int TitleWidth = 150;
constexpr int BoxWidth = 100;
constexpr int CheckSize = 16;
constexpr int SortButtonWidth = 18;

// A filter box whose hover look ends with its popup when the mouse is no longer over it
// (the popup took the mouse, so the box never saw it leave).
class CFilterBox final : public QComboBox
{
public:
    using QComboBox::QComboBox;
    void hidePopup() override
    {
        QComboBox::hidePopup();
        if (!rect().contains(mapFromGlobal(QCursor::pos()))) {
            setAttribute(Qt::WA_UnderMouse, false);
            update();
        }
    }
};

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
    m_sortType = makeSortButton(ENodeColumn::Type);
    m_sortVersion = makeSortButton(ENodeColumn::Version);
    m_sortMode = makeSortButton(ENodeColumn::Mode);
    // The titles themselves sort their columns.
    for (QLabel *title : {m_nameTitle, m_signalTitle, m_ipTitle}) {
        title->installEventFilter(this);
        title->setCursor(Qt::PointingHandCursor);
    }

    connect(m_selectAll, &CustomCheckBox::stateChanged, this, &CNodeHeaderView::allSelectStateChange);
    connect(m_typeBox, QOverload<int>::of(&QComboBox::activated), this, [this](int) {
        emit sigTypeIndexChanged(static_cast<ENodeType>(currentType()));
    });
    connect(m_modeBox, QOverload<int>::of(&QComboBox::activated), this, [this](int) { emit sigModelIndexChanged(); });
    connect(m_versionBox, QOverload<int>::of(&QComboBox::activated), this,
            [this](int) { emit sigVersionIndexChanged(); });
    connect(AppEvent::instance(), &AppEvent::changeLanguge, this, &CNodeHeaderView::ChangeLangue);

    setSortIndicator(ENodeColumn::Ip, Qt::AscendingOrder);
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
    auto *box = new CFilterBox(this);
    box->setObjectName(QStringLiteral("tableBox"));
    box->setFocusPolicy(Qt::StrongFocus);
    box->setFixedSize(BoxWidth, ElementHeight);
    // The size hint follows the items, so an English "All versions" can be given room.
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    box->setView(new QListView(box));
    return box;
}

QPushButton *CNodeHeaderView::makeSortButton(ENodeColumn column)
{
    auto *button = new QPushButton(this);
    button->setObjectName(QStringLiteral("sortButton"));
    button->setFixedSize(SortButtonWidth, ElementHeight);
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    QFont arrowFont = button->font();
    arrowFont.setPixelSize(14);
    button->setFont(arrowFont);
    button->setCursor(Qt::PointingHandCursor);
    connect(button, &QPushButton::clicked, this, [this, column] { emit sigSortClicked(column); });
    return button;
}

QPushButton *CNodeHeaderView::sortButton(ENodeColumn column) const
{
    switch (column) {
    case ENodeColumn::Type:
        return m_sortType;
    case ENodeColumn::Version:
        return m_sortVersion;
    case ENodeColumn::Mode:
        return m_sortMode;
    default:
        return nullptr;
    }
}

bool CNodeHeaderView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (watched == m_nameTitle)
            emit sigSortClicked(ENodeColumn::Name);
        else if (watched == m_signalTitle)
            emit sigSortClicked(ENodeColumn::Signal);
        else if (watched == m_ipTitle)
            emit sigSortClicked(ENodeColumn::Ip);
        else
            return QWidget::eventFilter(watched, event);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CNodeHeaderView::setSortIndicator(ENodeColumn column, Qt::SortOrder order)
{
    m_sortColumn = column;
    m_sortOrder = order;
    const QString none = QStringLiteral("\u21C5");
    const QString arrow = order == Qt::AscendingOrder ? QStringLiteral("\u2191") : QStringLiteral("\u2193");
    for (ENodeColumn c : {ENodeColumn::Type, ENodeColumn::Version, ENodeColumn::Mode}) {
        QPushButton *button = sortButton(c);
        button->setText(c == column ? arrow : none);
        // The sorted column's arrow stands out from the others.
        button->setStyleSheet(QStringLiteral("QPushButton{color: %1; background: transparent; border: none;}"
                                             "QPushButton:hover{color: white;}")
                                  .arg(c == column ? QStringLiteral("white") : QStringLiteral("#8a8f99")));
    }
    ChangeLangue(m_lang);
}

QString CNodeHeaderView::titleText(ENodeColumn column, const QString &text) const
{
    // The default order (IP ascending) carries no arrow.
    if (column != m_sortColumn || (column == ENodeColumn::Ip && m_sortOrder == Qt::AscendingOrder))
        return text;
    return text + (m_sortOrder == Qt::AscendingOrder ? QStringLiteral(" \u2191") : QStringLiteral(" \u2193"));
}

void CNodeHeaderView::setFilterItems(const QString &lang, const QStringList &versions)
{
    const QSignalBlocker b1(m_typeBox);
    const QSignalBlocker b2(m_modeBox);
    const QSignalBlocker b3(m_versionBox);
    m_typeBox->clear();
    for (int type : {AllNodeTypes, DecoderNode, EncoderNode})
        m_typeBox->addItem(NodeNames::typeName(type, lang), type);
    m_modeBox->clear();
    m_modeBox->addItem(NodeNames::allModesName(lang), NodeNames::AllModes);
    for (int mode = 0; mode < NodeNames::ModeCount; ++mode)
        m_modeBox->addItem(NodeNames::modeName(mode, lang), mode);
    m_versionBox->clear();
    m_versionBox->addItem(NodeNames::allVersionsName(lang)); // no data: all versions
    for (const QString &version : versions)
        m_versionBox->addItem(version, version);
    layoutColumns();
}

void CNodeHeaderView::setCurrentFilters(const sNodeFilter &filter)
{
    const QSignalBlocker b1(m_typeBox);
    const QSignalBlocker b2(m_modeBox);
    const QSignalBlocker b3(m_versionBox);
    m_typeBox->setCurrentIndex(qMax(0, m_typeBox->findData(filter.type)));
    m_modeBox->setCurrentIndex(qMax(0, m_modeBox->findData(filter.mode)));
    const int version = filter.version.isNull() ? 0 : m_versionBox->findData(filter.version);
    m_versionBox->setCurrentIndex(qMax(0, version));
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

int CNodeHeaderView::currentType() const { return m_typeBox->currentData().toInt(); }

int CNodeHeaderView::currentMode() const
{
    const QVariant mode = m_modeBox->currentData();
    return mode.isValid() ? mode.toInt() : NodeNames::AllModes;
}

QString CNodeHeaderView::currentVersion() const
{
    const QVariant version = m_versionBox->currentData();
    return version.isValid() ? version.toString() : QString();
}
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
    m_nameTitle->setText(titleText(ENodeColumn::Name, en ? QStringLiteral("Node name") : tr("节点名称")));
    m_signalTitle->setText(titleText(ENodeColumn::Signal, en ? QStringLiteral("Signal name") : tr("信号源名称")));
    m_firmware1Title->setText(en ? QStringLiteral("Firmware 1 version") : tr("固件1版本"));
    m_firmware2Title->setText(en ? QStringLiteral("Firmware 2 version") : tr("固件2版本"));
    m_ipTitle->setText(titleText(ENodeColumn::Ip, en ? QStringLiteral("IP address") : tr("IP地址")));
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
    const int widest = qMax(BoxWidth, c - ColumnGap - SortButtonWidth);
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
    for (QComboBox *box : {m_typeBox, m_versionBox, m_modeBox}) {
        QPushButton *sort = box == m_typeBox ? m_sortType : (box == m_versionBox ? m_sortVersion : m_sortMode);
        sort->move(box->x() + box->width(), centred(sort));
    }
    m_ipTitle->setFixedWidth(qMax(0, c - ColumnGap));
    m_ipTitle->move(first + 5 * c, centred(m_ipTitle));
}
