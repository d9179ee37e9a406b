#pragma once

#include <QString>

#include "ui/ccustomdialog.h"

class CIpAddrEdit;

// Asks for one address; the hub then looks for a node there.
class CAddNodeDlg final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CAddNodeDlg)

public:
    explicit CAddNodeDlg(QWidget *parent = nullptr);

    // As typed, complete or not.
    QString ipText() const;

public slots:
    void onOkClicked() override {}
    void onCancelClicked() override {}

private:
    CIpAddrEdit *m_ipEdit = nullptr;
};
