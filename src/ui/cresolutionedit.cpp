#include "ui/cresolutionedit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

CResolutionEdit::CResolutionEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);

    const QRegularExpression re(QStringLiteral("^[0-9]*[1-9][0-9]*$"));
    auto makeField = [this, &re] {
        auto *f = new QLineEdit(this);
        f->setObjectName(QStringLiteral("noFrameEdit"));
        f->setFrame(false);
        f->setFixedWidth(50);
        f->setAlignment(Qt::AlignCenter);
        f->setMaxLength(5);
        f->setValidator(new QRegularExpressionValidator(re, f));
        return f;
    };
    m_width = makeField();
    m_height = makeField();

    m_times = new QLabel(QStringLiteral("*"), this);
    QFont timesFont = m_times->font();
    timesFont.setPointSize(8);
    m_times->setFont(timesFont);
    m_times->setAlignment(Qt::AlignCenter);
    m_times->setStyleSheet(QStringLiteral("color: rgba(255, 255, 255, 0.6); background: transparent;"));

    m_tail = new QLabel(this);
    m_tail->setFixedWidth(20);
    m_tail->setStyleSheet(QStringLiteral("background: transparent;"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(6);
    layout->addWidget(m_width);
    layout->addWidget(m_times);
    layout->addWidget(m_height);
    layout->addStretch();
    layout->addWidget(m_tail);

    connect(m_width, &QLineEdit::editingFinished, this, &CResolutionEdit::positionWFinished);
    connect(m_height, &QLineEdit::editingFinished, this, &CResolutionEdit::positionHFinished);
}

QString CResolutionEdit::text() const
{
    return m_width->text() + QLatin1Char('*') + m_height->text();
}

void CResolutionEdit::setText(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('*'));
    if (parts.size() != 2)
        return;
    m_width->setText(parts.at(0));
    m_height->setText(parts.at(1));
}

int CResolutionEdit::correctedWidth(int width)
{
    // Scalers want a multiple of 4.
    return qMax(width - width % 4, kMinWidth);
}

int CResolutionEdit::correctedHeight(int height)
{
    return qMax(height, kMinHeight);
}

void CResolutionEdit::positionWFinished()
{
    m_width->setText(QString::number(correctedWidth(m_width->text().toInt())));
}

void CResolutionEdit::positionHFinished()
{
    m_height->setText(QString::number(correctedHeight(m_height->text().toInt())));
}

void CResolutionEdit::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(69, 71, 77), 1));
    p.setBrush(QColor(20, 21, 23));
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
}

#include "moc_cresolutionedit.cpp"
