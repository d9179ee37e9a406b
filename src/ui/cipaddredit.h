#pragma once

#include <QLineEdit>

class QWidget;

// Dotted IPv4 entry: four number fields behind one frame, typed like one address.
class CIpAddrEdit : public QLineEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CIpAddrEdit)

public:
    static constexpr int kFieldCount = 4;

    explicit CIpAddrEdit(QWidget *parent = nullptr, int width = 432, int height = 28);

    // Hide QLineEdit's own text: the address lives in the four fields.
    QString text() const;
    void setText(const QString &address);

    // Mask mode lets the first field run to 255 and hold 0.
    void setMaskMode(bool on) { m_maskMode = on; }
    bool maskMode() const { return m_maskMode; }

    void setFixedSize(int width, int height);
    using QLineEdit::setFixedSize;

    QLineEdit *field(int index) const { return m_fields[index]; }

public slots:
    void onEditChanged(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    int indexOf(QObject *field) const;
    void correct(int index);
    void focusField(int index, bool atEnd);
    void focusAndSelect(int index);

    QWidget *m_frame = nullptr;
    QLineEdit *m_fields[kFieldCount] = {};
    bool m_maskMode = false;
};
