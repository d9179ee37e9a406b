#include "ui/clineedit.h"

#include <QLabel>
#include <QTextCodec>

CLineEdit::CLineEdit(const QString &text, QWidget *parent)
    : QLineEdit(parent)
{
    setFixedSize(432, 28);
    m_counter = new QLabel(this);
    m_counter->setObjectName(QStringLiteral("byteCounter"));
    m_counter->setTextFormat(Qt::RichText);
    m_counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_counter->setStyleSheet(QStringLiteral("color: white; background: transparent; border: none;"));
    m_counter->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(this, &QLineEdit::textEdited, this, &CLineEdit::onNameChanged);
    connect(this, &QLineEdit::textChanged, this, &CLineEdit::updateCounter);
    setText(text);
    updateCounter();
}

CLineEdit::CLineEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setFixedSize(432, 28);
}

void CLineEdit::setByteLimit(int bytes)
{
    m_byteLimit = bytes;
    updateCounter();
}

int CLineEdit::byteCount(const QString &text)
{
    return QTextCodec::codecForLocale()->fromUnicode(text).size();
}

QString CLineEdit::cutToBytes(const QString &text, int limit)
{
    // Cutting the byte string would split a character; shorten by whole characters.
    QString cut = text;
    while (!cut.isEmpty() && byteCount(cut) > limit) {
        cut.chop(1);
        if (!cut.isEmpty() && cut.at(cut.size() - 1).isHighSurrogate())
            cut.chop(1);
    }
    return cut;
}

void CLineEdit::onNameChanged(const QString &text)
{
    if (!m_counter || byteCount(text) <= m_byteLimit)
        return;
    const int cursor = cursorPosition();
    setText(cutToBytes(text, m_byteLimit));
    setCursorPosition(qMin(cursor, this->text().size()));
}

void CLineEdit::updateCounter()
{
    if (!m_counter)
        return;
    m_counter->setText(QStringLiteral("%1<font color='gray'>/%2<font>").arg(byteCount(text())).arg(m_byteLimit));
    placeCounter();
}

void CLineEdit::placeCounter()
{
    if (!m_counter)
        return;
    const int w = m_counter->fontMetrics().horizontalAdvance(QStringLiteral("%1/%2").arg(m_byteLimit).arg(m_byteLimit)) + 4;
    m_counter->setGeometry(width() - w - 5, 0, w, height());
    setTextMargins(0, 0, w + 5, 0);
}

void CLineEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    placeCounter();
}

void CLineEdit::enterEvent(QEvent *event)
{
    setCursor(Qt::IBeamCursor);
    QLineEdit::enterEvent(event);
}

void CLineEdit::leaveEvent(QEvent *event)
{
    setCursor(Qt::ArrowCursor);
    QLineEdit::leaveEvent(event);
}

#include "moc_clineedit.cpp"
