#pragma once

#include "model/sdeviceinfo.h"
#include "ui/ccustomdialog.h"

#include <QList>

class QLabel;

// Message box, confirmation and type-switch summary in the dialog frame.
class CMessageDialog : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMessageDialog)

public:
    explicit CMessageDialog(const QString &text, QWidget *parent = nullptr);
    // Summary of a type switch: how many were switched and which nodes failed.
    CMessageDialog(int switchedCount, const QList<sDeviceInfo> &failed, QWidget *parent = nullptr);

    // Turns the message into a question: OK reads "确认" and Cancel is shown.
    void setConfirm();

    QLabel *messageLabel() const { return m_messageLabel; }

    // Rich text of the failed row: count and the addresses, three to a line.
    static QString failedText(const QList<sDeviceInfo> &failed);

public slots:
    void onOkClicked() override {}
    void onCancelClicked() override {}

private:
    QLabel *m_messageLabel = nullptr;
};
