#pragma once

#include <QLineEdit>

class QLabel;

// Name entry limited to a number of bytes in the local 8-bit encoding, with a counter.
class CLineEdit : public QLineEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CLineEdit)

public:
    explicit CLineEdit(const QString &text, QWidget *parent = nullptr);
    // A plain edit of the same size, without limit or counter.
    explicit CLineEdit(QWidget *parent = nullptr);

    void setByteLimit(int bytes);
    int byteLimit() const { return m_byteLimit; }
    QLabel *counterLabel() const { return m_counter; }

    static int byteCount(const QString &text);
    // The longest prefix of text, on a character boundary, that fits in limit bytes.
    static QString cutToBytes(const QString &text, int limit);

public slots:
    void onNameChanged(const QString &text);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void updateCounter();
    void placeCounter();

    int m_byteLimit = 16;
    QLabel *m_counter = nullptr;
};
