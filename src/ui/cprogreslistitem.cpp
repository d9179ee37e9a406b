#include "ui/cprogreslistitem.h"

#include "comm/protocol.h"
#include "operations/outcometext.h"
#include "model/plaintext.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kBarMax = 1000;
} // namespace

CProgressListItem::CProgressListItem(const QString &ip, bool realProgress, QWidget *parent)
    : QWidget(parent)
    , m_ip(ip)
    , m_realProgress(realProgress)
{
    setFixedHeight(64);
    setAttribute(Qt::WA_StyledBackground);
    setObjectName(QStringLiteral("progressListItem"));

    m_iconLabel = new QLabel(this);
    m_iconLabel->setObjectName(QStringLiteral("upload"));
    m_iconLabel->setFixedSize(28, 28);

    // The address as the node gave it: shown as plain text on one line, never as markup.
    m_nameLabel = new QLabel(PlainText::singleLine(ip), this);
    m_nameLabel->setTextFormat(Qt::PlainText);
    m_nameLabel->setObjectName(QStringLiteral("progressName"));
    m_nameLabel->setFixedHeight(16);

    m_noteLabel = new QLabel(this);
    m_noteLabel->setTextFormat(Qt::PlainText);
    m_noteLabel->setObjectName(QStringLiteral("progressNote"));
    m_noteLabel->setFixedHeight(16);
    m_noteLabel->hide();

    m_resultLabel = new QLabel(this);
    m_resultLabel->setTextFormat(Qt::PlainText);
    m_resultLabel->setObjectName(QStringLiteral("progressResult"));
    m_resultLabel->setFixedHeight(16);
    m_resultLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_retryButton = new QPushButton(this);
    m_retryButton->setObjectName(QStringLiteral("imageButton"));
    m_retryButton->setFixedSize(20, 20);
    m_retryButton->setIcon(QIcon(QStringLiteral(":/res/res/image/common/retry.svg")));
    m_retryButton->setIconSize(QSize(16, 16));
    m_retryButton->setToolTip(tr("重试"));
    m_retryButton->setToolTipDuration(1000);
    m_retryButton->setCursor(Qt::PointingHandCursor);
    m_retryButton->setFocusPolicy(Qt::NoFocus);
    m_retryButton->hide();

    m_bar = new QProgressBar(this);
    m_bar->setOrientation(Qt::Horizontal);
    m_bar->setFixedSize(450, 6);
    m_bar->setRange(0, kBarMax);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);

    m_percentLabel = new QLabel(QStringLiteral("0%"), this);
    m_percentLabel->setObjectName(QStringLiteral("progressPercent"));
    m_percentLabel->setFixedHeight(16);
    m_percentLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    top->addWidget(m_nameLabel);
    top->addSpacing(16);
    top->addWidget(m_noteLabel);
    top->addStretch();
    top->addWidget(m_resultLabel);
    top->addSpacing(5);
    top->addWidget(m_retryButton);

    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 8, 0, 0);
    bottom->setSpacing(0);
    bottom->addWidget(m_bar);
    bottom->addSpacing(10);
    bottom->addStretch();
    bottom->addWidget(m_percentLabel);

    auto *lines = new QVBoxLayout;
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(0);
    lines->addLayout(top);
    lines->addLayout(bottom);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(10, 6, 10, 6);
    row->setSpacing(0);
    row->addWidget(m_iconLabel, 0, Qt::AlignVCenter);
    row->addSpacing(22);
    row->addLayout(lines, 1);

    if (!m_realProgress) {
        m_timer = new QTimer(this);
        m_timer->setInterval(kTickMs);
        connect(m_timer, &QTimer::timeout, this, &CProgressListItem::onTimer);
    }
    connect(m_bar, &QProgressBar::valueChanged, this, &CProgressListItem::updatePercent);
    // On press: the row may be rebuilt by the owner before a release arrives.
    connect(m_retryButton, &QPushButton::pressed, this, [this] { emit sigRetry(m_ip); });

    applyStyle(RowStyle::Normal);
}

CProgressListItem::~CProgressListItem()
{
    if (m_timer)
        m_timer->stop();
}

QString CProgressListItem::ip() const
{
    return m_ip;
}

bool CProgressListItem::isAnimating() const
{
    return m_timer && m_timer->isActive();
}

void CProgressListItem::startRow()
{
    m_tick = 0;
    m_resultCode = 0;
    m_bar->reset();
    m_bar->setValue(0);
    m_percentLabel->setText(QStringLiteral("0%"));
    applyStyle(RowStyle::Normal);
    m_resultLabel->setText(tr(OutcomeText::runningSource(OutcomeText::EKind(m_kind))));
    if (m_timer)
        m_timer->start();
}

void CProgressListItem::setTransferredBytes(qint64 bytes)
{
    // Without a known size there is nothing to scale against.
    if (m_totalSize <= 0 || bytes < 0)
        return;
    const float ratio = static_cast<float>(bytes) / static_cast<float>(m_totalSize);
    const int value = ratio >= 1.0f ? kBarMax : static_cast<int>(ratio * kBarMax);
    m_bar->setValue(qMin(value, kBarMax));
}

void CProgressListItem::onTimer()
{
    m_bar->setValue(qMin(m_tick * 20, kBarMax));
    ++m_tick;
    if (m_tick >= kLastTick) {
        if (m_timer)
            m_timer->stop();
        showResult();
    }
}

void CProgressListItem::showResult()
{
    const OutcomeText::EKind kind = OutcomeText::EKind(m_kind);
    const char *text = OutcomeText::source(kind, m_resultCode);
    if (!text)
        return; // no result yet: the running text stays
    const bool ok = OutcomeText::succeeded(kind, m_resultCode);
    applyStyle(ok ? RowStyle::Success : RowStyle::Failed);
    if (ok && m_kind == ProgressKind::Upgrade)
        m_bar->setValue(m_bar->maximum());
    m_resultLabel->setText(tr(text));
}

void CProgressListItem::setNote(const QString &text, int tone)
{
    static const char *const kColours[] = {"rgba(255, 255, 255, 0.6)", "rgb(48, 209, 88)", "rgb(236, 68, 68)"};
    m_noteLabel->setStyleSheet(QStringLiteral("color: %1;").arg(QLatin1String(kColours[qBound(0, tone, 2)])));
    m_noteLabel->setText(text);
    m_noteLabel->setVisible(!text.isEmpty());
}

void CProgressListItem::stopAnimation()
{
    if (!isAnimating())
        return;
    m_timer->stop();
    showResult();
}

void CProgressListItem::applyStyle(RowStyle style)
{
    m_style = style;
    switch (style) {
    case RowStyle::Normal:
        m_resultLabel->setStyleSheet(QStringLiteral("color: rgba(255, 255, 255, 0.8);"));
        m_bar->setObjectName(QStringLiteral("normalBar"));
        m_bar->setStyleSheet(QStringLiteral(
            "QProgressBar#normalBar{background-color: rgba(255, 255, 255, 0.1); border: none; border-radius: 3px;}"
            "QProgressBar#normalBar::chunk{background-color: rgb(9,119,229); border-radius: 3px;}"));
        m_retryButton->hide();
        break;
    case RowStyle::Success:
        m_resultLabel->setStyleSheet(QStringLiteral("color: rgb(48, 209, 88);"));
        m_bar->setObjectName(QStringLiteral("successBar"));
        m_bar->setStyleSheet(QStringLiteral(
            "QProgressBar#successBar{background-color: rgba(255, 255, 255, 0.1); border: none; border-radius: 3px;}"
            "QProgressBar#successBar::chunk{background-color: rgb(48,209,88); border-radius: 3px;}"));
        m_retryButton->hide();
        break;
    case RowStyle::Failed:
        m_resultLabel->setStyleSheet(QStringLiteral("color: rgb(236, 68, 68);"));
        m_bar->setObjectName(QStringLiteral("failedBar"));
        m_bar->setStyleSheet(QStringLiteral(
            "QProgressBar#failedBar{background-color: rgba(255, 255, 255, 0.1); border: none; border-radius: 3px;}"
            "QProgressBar#failedBar::chunk{background-color: rgb(48,209,88); border-radius: 3px;}"));
        m_retryButton->show();
        break;
    }
    m_resultLabel->show();
}

void CProgressListItem::updatePercent(int value)
{
    if (value < 0) {
        m_percentLabel->setText(QStringLiteral("0%"));
        return;
    }
    m_percentLabel->setText(QString::number(value / 10.0, 'f', 1) + QLatin1Char('%'));
}

#include "moc_cprogreslistitem.cpp"
