#pragma once

#include <QLineEdit>

// MAC address entry: six hex pairs behind one frame; locked until made editable.
class CMacAddrEdit : public QLineEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMacAddrEdit)

public:
    static constexpr int kFieldCount = 6;

    explicit CMacAddrEdit(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &mac);

    bool isValid() const { return isValidMac(text()); }
    static bool isValidMac(const QString &mac);

    void setEditable(bool on);
    bool isEditable() const { return m_editable; }

    QLineEdit *field(int index) const { return m_fields[index]; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    int indexOf(QObject *field) const;
    void onFieldEdited(int index);

    QWidget *m_frame = nullptr;
    QLineEdit *m_fields[kFieldCount] = {};
    bool m_editable = false;
};
