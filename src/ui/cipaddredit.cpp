#include "ui/cipaddredit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "comm/ipv4.h"

namespace {
const QString kFieldPattern = QStringLiteral("(2[0-5]{2}|2[0-4][0-9]|1?[0-9]{1,3})");
}

CIpAddrEdit::CIpAddrEdit(QWidget *parent, int width, int height)
    : QLineEdit(parent)
{
    // The base edit is only the frame; typing happens in the fields.
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAttribute(Qt::WA_InputMethodEnabled, false);

    m_frame = new QWidget(this);
    m_frame->setObjectName(QStringLiteral("frameIP"));
    auto *layout = new QHBoxLayout(m_frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addSpacing(6);

    const QRegularExpression fieldRe(kFieldPattern);
    for (int i = 0; i < kFieldCount; ++i) {
        auto *f = new QLineEdit(m_frame);
        f->setObjectName(QStringLiteral("ipEdit"));
        f->setFrame(false);
        f->setMaxLength(3);
        f->setValidator(new QRegularExpressionValidator(fieldRe, f));
        f->setAttribute(Qt::WA_InputMethodEnabled, false);
        f->setContextMenuPolicy(Qt::NoContextMenu);
        f->installEventFilter(this);
        connect(f, &QLineEdit::textEdited, this, &CIpAddrEdit::onEditChanged);
        m_fields[i] = f;
        if (i < kFieldCount - 1) {
            f->setFixedWidth(36);
            f->setAlignment(Qt::AlignCenter);
            layout->addWidget(f);
        } else {
            f->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            f->setTextMargins(4, 0, 0, 0);
            f->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
            layout->addSpacing(3);
            layout->addWidget(f, 1);
        }
    }
    setFixedSize(width, height);
}

void CIpAddrEdit::setFixedSize(int width, int height)
{
    QLineEdit::setFixedSize(width, height);
    m_frame->setFixedSize(width, height);
}

QString CIpAddrEdit::text() const
{
    QStringList parts;
    for (const QLineEdit *f : m_fields)
        parts << f->text();
    return parts.join(QLatin1Char('.'));
}

void CIpAddrEdit::setText(const QString &address)
{
    if (!Ipv4::isValid(address))
        return;
    const QStringList parts = address.split(QLatin1Char('.'));
    for (int i = 0; i < kFieldCount; ++i)
        m_fields[i]->setText(parts.at(i));
}

int CIpAddrEdit::indexOf(QObject *field) const
{
    for (int i = 0; i < kFieldCount; ++i) {
        if (m_fields[i] == field)
            return i;
    }
    return -1;
}

void CIpAddrEdit::onEditChanged(const QString &)
{
    const int index = indexOf(sender());
    if (index >= 0)
        correct(index);
}

void CIpAddrEdit::correct(int index)
{
    QLineEdit *f = m_fields[index];
    const QString t = f->text();
    if (t.isEmpty())
        return;
    const int value = t.toInt();
    if (index == 0 && !m_maskMode) {
        if (value > 223)
            f->setText(QStringLiteral("223"));
        else if (value == 0)
            f->setText(QStringLiteral("1"));
    } else if (value >= 256) {
        f->setText(QStringLiteral("255"));
    }
}

void CIpAddrEdit::focusField(int index, bool atEnd)
{
    QLineEdit *f = m_fields[index];
    f->setFocus(Qt::OtherFocusReason);
    f->setCursorPosition(atEnd ? f->text().size() : 0);
}

void CIpAddrEdit::focusAndSelect(int index)
{
    QLineEdit *f = m_fields[index];
    f->setFocus(Qt::OtherFocusReason);
    f->selectAll();
}

bool CIpAddrEdit::eventFilter(QObject *watched, QEvent *event)
{
    const int index = indexOf(watched);
    if (index < 0 || event->type() != QEvent::KeyPress)
        return QLineEdit::eventFilter(watched, event);

    auto *key = static_cast<QKeyEvent *>(event);
    QLineEdit *f = m_fields[index];
    const bool first = index == 0;
    const bool last = index == kFieldCount - 1;
    const int pos = f->cursorPosition();

    switch (key->key()) {
    case Qt::Key_Backspace:
        if (f->text().isEmpty() || (pos == 0 && !f->hasSelectedText())) {
            if (!first)
                focusField(index - 1, true);
            return true;
        }
        return false;
    case Qt::Key_Left:
    case Qt::Key_Up:
        if (pos == 0 && !first) {
            focusField(index - 1, true);
            return true;
        }
        return false;
    case Qt::Key_Right:
    case Qt::Key_Down:
        if (pos == f->text().size() && !last) {
            focusField(index + 1, false);
            return true;
        }
        return false;
    case Qt::Key_Period:
        if (!last)
            focusAndSelect(index + 1);
        return true;
    default:
        break;
    }

    const QString typed = key->text();
    if (typed.size() != 1 || !typed.at(0).isDigit() || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;

    if (typed == QLatin1String("0")) {
        if (f->hasSelectedText())
            return false;
        // "0" in front, or a second zero, would only make a leading zero.
        if (pos == 0 || f->text() == QLatin1String("0")) {
            f->setText(f->text().isEmpty() ? QStringLiteral("0") : QString::number(f->text().toInt()));
            correct(index);
            return true;
        }
        return false;
    }

    if (f->hasSelectedText())
        return false;
    if (f->text().size() >= 3 || f->text().toInt() * 10 > 255) {
        if (!last)
            focusAndSelect(index + 1);
        return true;
    }
    if (f->text() == QLatin1String("0")) {
        f->setText(typed);
        correct(index);
        return true;
    }
    return false;
}

void CIpAddrEdit::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(isEnabled() ? QColor(69, 71, 77) : QColor(50, 52, 56), 1));
    p.setBrush(QColor(20, 21, 23));
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);

    p.setPen(Qt::NoPen);
    p.setBrush(isEnabled() ? QColor(Qt::white) : QColor(110, 110, 110));
    for (int i = 0; i < kFieldCount - 1; ++i) {
        const QRect a = m_fields[i]->geometry();
        const QRect b = m_fields[i + 1]->geometry();
        const int x = m_frame->x() + (a.right() + b.left()) / 2;
        const int y = m_frame->y() + height() / 2;
        p.drawRect(x - 1, y - 1, 2, 2);
    }
}

void CIpAddrEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    m_frame->setFixedSize(size());
}

void CIpAddrEdit::mousePressEvent(QMouseEvent *event)
{
    // A click on the frame between fields lands in the nearest field.
    const int x = event->pos().x();
    int target = kFieldCount - 1;
    for (int i = 0; i < kFieldCount; ++i) {
        if (x <= m_frame->x() + m_fields[i]->geometry().right() + 2) {
            target = i;
            break;
        }
    }
    if (isEnabled())
        focusField(target, true);
    event->accept();
}

void CIpAddrEdit::enterEvent(QEvent *event)
{
    setCursor(Qt::IBeamCursor);
    QLineEdit::enterEvent(event);
}

void CIpAddrEdit::leaveEvent(QEvent *event)
{
    setCursor(Qt::ArrowCursor);
    QLineEdit::leaveEvent(event);
}

#include "moc_cipaddredit.cpp"
