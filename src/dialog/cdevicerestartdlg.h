#pragma once

#include "ui/ccustomdialog.h"

class QLabel;

// Two-button question: OK accepts, Cancel or the close button rejects.
class CDeviceRestartDlg final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDeviceRestartDlg)

public:
    explicit CDeviceRestartDlg(const QString &title, QWidget *parent = nullptr);

    void setText(const QString &message);
    QString text() const;

    // A 480x180 question run modally; true when the operator said yes.
    static bool ask(const QString &title, const QString &message, QWidget *parent = nullptr);

public slots:
    void onOkClicked() override {}
    void onCancelClicked() override {}

private:
    QLabel *m_message = nullptr;
};
