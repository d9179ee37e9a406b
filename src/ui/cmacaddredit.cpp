#include "ui/cmacaddredit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace {
constexpr int kFieldWidth = 24;
constexpr int kGap = 4;
}

CMacAddrEdit::CMacAddrEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAttribute(Qt::WA_InputMethodEnabled, false);

    m_frame = new QWidget(this);
    m_frame->setObjectName(QStringLiteral("frameMac"));
    m_frame->setFixedSize(168, 28);
    auto *layout = new QHBoxLayout(m_frame);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(kGap);

    const QRegularExpression fieldRe(QStringLiteral("([0-9a-fA-F]{2})"));
    for (int i = 0; i < kFieldCount; ++i) {
        auto *f = new QLineEdit(m_frame);
        f->setObjectName(QStringLiteral("noFrameEdit"));
        f->setFrame(false);
        f->setMaxLength(2);
        f->setAlignment(Qt::AlignCenter);
        f->setFixedWidth(kFieldWidth);
        f->setValidator(new QRegularExpressionValidator(fieldRe, f));
        f->setAttribute(Qt::WA_InputMethodEnabled, false);
        f->installEventFilter(this);
        connect(f, &QLineEdit::textEdited, this, [this, i] { onFieldEdited(i); });
        m_fields[i] = f;
        layout->addWidget(f);
    }
    setFixedSize(168, 28);
    setEditable(false);
}

QString CMacAddrEdit::text() const
{
    QString mac;
    for (int i = 0; i < kFieldCount; ++i) {
        const QString part = m_fields[i]->text();
        if (part.isEmpty())
            continue;
        mac += part;
        if (i < kFieldCount - 1)
            mac += QLatin1Char(':');
    }
    return mac;
}

bool CMacAddrEdit::isValidMac(const QString &mac)
{
    static const QRegularExpression re(QRegularExpression::anchoredPattern(QStringLiteral(
        "([0-9a-fA-F]{2}:[0-9a-fA-F]{2}:[0-9a-fA-F]{2}:[0-9a-fA-F]{2}:[0-9a-fA-F]{2}:[0-9a-fA-F]{2})")));
    return re.match(mac).hasMatch();
}

void CMacAddrEdit::setText(const QString &mac)
{
    if (!isValidMac(mac))
        return;
    const QStringList parts = mac.split(QLatin1Char(':'));
    for (int i = 0; i < kFieldCount; ++i)
        m_fields[i]->setText(parts.at(i));
}

void CMacAddrEdit::setEditable(bool on)
{
    m_editable = on;
    for (QLineEdit *f : m_fields) {
        f->setEnabled(on);
        f->setFocusPolicy(on ? Qt::ClickFocus : Qt::NoFocus);
    }
    if (!on)
        setCursor(Qt::ArrowCursor);
    update();
}

int CMacAddrEdit::indexOf(QObject *field) const
{
    for (int i = 0; i < kFieldCount; ++i) {
        if (m_fields[i] == field)
            return i;
    }
    return -1;
}

void CMacAddrEdit::onFieldEdited(int index)
{
    QLineEdit *f = m_fields[index];
    if (f->text().size() == 2 && f->cursorPosition() == 2 && index < kFieldCount - 1) {
        QLineEdit *next = m_fields[index + 1];
        next->setFocus(Qt::OtherFocusReason);
        next->selectAll();
    }
}

bool CMacAddrEdit::eventFilter(QObject *watched, QEvent *event)
{
    const int index = indexOf(watched);
    if (index < 0 || event->type() != QEvent::KeyPress)
        return QLineEdit::eventFilter(watched, event);

    auto *key = static_cast<QKeyEvent *>(event);
    QLineEdit *f = m_fields[index];
    const int pos = f->cursorPosition();
    auto moveTo = [this](int i, bool atEnd) {
        QLineEdit *t = m_fields[i];
        t->setFocus(Qt::OtherFocusReason);
        t->setCursorPosition(atEnd ? t->text().size() : 0);
    };

    switch (key->key()) {
    case Qt::Key_Backspace:
        if (pos == 0 && !f->hasSelectedText() && index > 0) {
            moveTo(index - 1, true);
            return true;
        }
        return false;
    case Qt::Key_Left:
        if (pos == 0 && index > 0) {
            moveTo(index - 1, true);
            return true;
        }
        return false;
    case Qt::Key_Right:
        if (pos == f->text().size() && index < kFieldCount - 1) {
            moveTo(index + 1, false);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void CMacAddrEdit::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(69, 71, 76), 1));
    p.setBrush(QColor(20, 21, 23));
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x99, 0x99, 0x99));
    const int mid = height() / 2;
    for (int i = 0; i < kFieldCount - 1; ++i) {
        const QRect a = m_fields[i]->geometry();
        const QRect b = m_fields[i + 1]->geometry();
        const int x = m_frame->x() + (a.right() + b.left()) / 2;
        p.drawRect(x, mid - 4, 2, 2);
        p.drawRect(x, mid + 2, 2, 2);
    }
}

void CMacAddrEdit::enterEvent(QEvent *event)
{
    if (m_editable)
        setCursor(Qt::IBeamCursor);
    QLineEdit::enterEvent(event);
}

void CMacAddrEdit::leaveEvent(QEvent *event)
{
    setCursor(Qt::ArrowCursor);
    QLineEdit::leaveEvent(event);
}

#include "moc_cmacaddredit.cpp"
