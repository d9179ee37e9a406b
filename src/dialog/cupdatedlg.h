#pragma once

#include "ui/ccustomdialog.h"

class QLineEdit;
class QPushButton;

// Chooses the upgrade package. OK only closes once a path is chosen.
class CUpdateDlg final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CUpdateDlg)

public:
    explicit CUpdateDlg(QWidget *parent = nullptr);

    // setTitle comes from the frame.
    void setPath(const QString &path);
    QString path() const;

    QPushButton *browseButton() const { return m_browseButton; }

public slots:
    void onSelectPath();
    void onOkClicked() override;
    void onCancelClicked() override {}

private:
    QLineEdit *m_pathEdit = nullptr;
    QPushButton *m_browseButton = nullptr;
};
