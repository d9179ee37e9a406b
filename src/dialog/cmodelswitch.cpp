#include "dialog/cmodelswitch.h"
#include "model/nodenames.h"

#include "dialog/cnodescanui/customcheckbox.h"
#include "model/cnodelistmodel.h"
#include "ui/cbanwheelcombobox.h"
#include "ui/cmessagedialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kRowHeight = 36;

int modeBucket(int mode)
{
    return std::clamp(mode, 0, 2);
}
} // namespace

CModelSwitch::CModelSwitch(CNodeListModel *model, QWidget *parent)
    : CCustomDialog(parent)
    , m_model(model)
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setSelfClosing(true);
    setTitle(tr("解码节点模式切换"));
    setOkText(tr("确定"));
    setCancelText(tr("取消"));
    setFixedWidth(400);

    if (m_model)
        m_decoders = m_model->decoders();
    std::stable_sort(m_decoders.begin(), m_decoders.end(),
                     [](const sDecoderInfo &a, const sDecoderInfo &b) { return a.name < b.name; });
    for (const sDecoderInfo &d : qAsConst(m_decoders))
        ++m_modeCount[modeBucket(d.mode)];

    // Header bar: select-all, name title, mode filter.
    auto *headerBar = new QWidget(contentWidget());
    headerBar->setFixedSize(350, 30);
    headerBar->setAttribute(Qt::WA_StyledBackground);
    headerBar->setStyleSheet(QStringLiteral("background-color:rgba(54, 58, 64, 1)"));
    m_headerBox = new CustomCheckBox(headerBar);
    m_headerBox->setText(tr("序号"));
    m_headerBox->setFontPixelSize(13);
    m_headerBox->setIconRect(0, 0, 16);
    m_headerBox->setFixedSize(90, 16);
    auto *nameTitle = new QLabel(tr("节点名称"), headerBar);
    nameTitle->setFixedWidth(110);
    nameTitle->setAlignment(Qt::AlignCenter);
    nameTitle->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    m_filter = new CBanWheelComboBox(headerBar);
    m_filter->setObjectName(QStringLiteral("tableBox"));
    m_filter->setView(new QListView(m_filter));
    m_filter->setFixedWidth(80);
    m_filter->addItem(NodeNames::allModesName(), NodeNames::AllModes);
    for (int mode = 0; mode < NodeNames::ModeCount; ++mode)
        m_filter->addItem(NodeNames::modeName(mode), mode);
    auto *headerLayout = new QHBoxLayout(headerBar);
    headerLayout->setContentsMargins(10, 0, 10, 0);
    headerLayout->setSpacing(0);
    headerLayout->addWidget(m_headerBox);
    headerLayout->addSpacing(15);
    headerLayout->addWidget(nameTitle);
    headerLayout->addStretch();
    headerLayout->addWidget(m_filter);

    m_table = new QTableWidget(contentWidget());
    m_table->setObjectName(QStringLiteral("modelSwitchTable"));
    m_table->setFixedSize(350, 308);
    m_table->setColumnCount(3);
    m_table->setColumnWidth(0, 115);
    m_table->setColumnWidth(1, 140);
    m_table->setColumnWidth(2, 80);
    m_table->setShowGrid(false);
    m_table->horizontalHeader()->hide();
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_table->setFrameShape(QFrame::NoFrame);

    auto *targetLabel = new QLabel(tr("切换模式选择"), contentWidget());
    targetLabel->setStyleSheet(QStringLiteral("color: rgba(196, 196, 196, 1);"));
    m_target = new CBanWheelComboBox(contentWidget());
    m_target->setView(new QListView(m_target));
    m_target->setFixedSize(350, 32);
    for (int mode = 0; mode < NodeNames::ModeCount; ++mode)
        m_target->addItem(NodeNames::modeName(mode), mode);

    auto *layout = new QVBoxLayout(contentWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(headerBar);
    layout->addWidget(m_table);
    layout->addSpacing(16);
    layout->addWidget(targetLabel);
    layout->addSpacing(8);
    layout->addWidget(m_target);

    connect(m_headerBox, &CustomCheckBox::stateChanged, this, &CModelSwitch::SelectAll);
    connect(m_filter, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this](int index) { fillTable(index - 1); });

    fillTable(-1);
    adjustSize();
}

QComboBox *CModelSwitch::filterBox() const
{
    return m_filter;
}

QComboBox *CModelSwitch::targetBox() const
{
    return m_target;
}

CustomCheckBox *CModelSwitch::rowBox(int row) const
{
    return qobject_cast<CustomCheckBox *>(m_table->cellWidget(row, 0));
}

QString CModelSwitch::modeText(int mode)
{
    return NodeNames::modeName(mode);
}

void CModelSwitch::fillTable(int mode)
{
    for (sDecoderInfo &d : m_decoders)
        d.selected = false;
    m_headerBox->setChecked(false);
    m_headerBox->setText(tr("序号"));
    m_table->scrollToTop();
    m_table->clearContents();
    m_rowRecord.clear();

    m_table->setRowCount(mode < 0 ? m_decoders.size() : m_modeCount[modeBucket(mode)]);
    for (int i = 0; i < m_decoders.size(); ++i) {
        const sDecoderInfo &d = m_decoders.at(i);
        if (mode >= 0 && modeBucket(d.mode) != modeBucket(mode))
            continue;
        const int row = m_rowRecord.size();
        m_rowRecord.append(i);

        auto *box = new CustomCheckBox;
        box->setText(QString::number(row + 1));
        box->setFontPixelSize(13);
        connect(box, &CustomCheckBox::stateChanged, this,
                [this, row](bool state) { onRowTicked(row, state); });
        box->setIconRect(0, (kRowHeight - 16) / 2, 16);
        m_table->setCellWidget(row, 0, box);

        auto *name = new QTableWidgetItem(QString::fromUtf8(d.name));
        name->setTextAlignment(Qt::AlignCenter);
        name->setToolTip(QString::fromUtf8(d.ip));
        m_table->setItem(row, 1, name);
        auto *modeItem = new QTableWidgetItem(modeText(d.mode));
        modeItem->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_table->setItem(row, 2, modeItem);
    }
}

void CModelSwitch::onRowTicked(int row, bool state)
{
    if (row < 0 || row >= m_rowRecord.size())
        return;
    m_decoders[m_rowRecord.at(row)].selected = state;
    updateHeader();
}

void CModelSwitch::updateHeader()
{
    const int rows = m_rowRecord.size();
    bool all = rows > 0;
    for (int row = 0; row < rows && all; ++row)
        all = m_decoders.at(m_rowRecord.at(row)).selected;
    m_headerBox->setChecked(all);
    m_headerBox->setText(all ? tr("序号") + QStringLiteral("(%1)").arg(rows) : tr("序号"));
}

void CModelSwitch::SelectAll(bool state)
{
    const int rows = m_rowRecord.size();
    for (int row = 0; row < rows; ++row) {
        if (CustomCheckBox *box = rowBox(row))
            box->setChecked(state);
        m_decoders[m_rowRecord.at(row)].selected = state;
    }
    m_headerBox->setChecked(state);
    m_headerBox->setText(state && rows > 0 ? tr("序号") + QStringLiteral("(%1)").arg(rows) : tr("序号"));
}

void CModelSwitch::onOkClicked()
{
    m_result.clear();
    const int mode = m_target->currentIndex();
    for (sDecoderInfo &d : m_decoders) {
        if (!d.selected)
            continue;
        d.mode = mode;
        if (m_model)
            m_model->updateById(d, d.id);
        m_result.append(d);
    }
    if (m_result.isEmpty()) {
        CMessageDialog box(tr("请选择需要切换的设备"), this);
        box.exec();
        return;
    }
    accept();
}

void CModelSwitch::onCancelClicked()
{
    reject();
}
