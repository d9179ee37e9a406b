#pragma once

#include <QString>
#include <QStringList>

#include "ui/ccustomdialog.h"

class QCheckBox;
class QLineEdit;
class QStackedWidget;
class CIpAddrEdit;

// New addresses for the selected nodes: consecutive from a start IP, one mask and gateway.
// OK only closes when the three addresses are complete, the plan reaches every selected
// node and no planned address belongs to a node that is not selected.
class CNetConfigDlg final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNetConfigDlg)

public:
    CNetConfigDlg(const QString &startIp, const QString &gateway, const QString &mask,
                  QWidget *parent = nullptr);

    // Where the selected nodes are now, in the order they receive addresses.
    void setSelectedIps(const QStringList &ips) { m_selectedIps = ips; }
    void setUnselectedIps(const QStringList &ips) { m_unselectedIps = ips; }

    QString startIp() const;
    QString mask() const;
    QString gateway() const;

public slots:
    void onOkClicked() override;
    void onCancelClicked() override {}
    void importPath();
    void exportPath();

private:
    QWidget *buildAddressPage();
    QWidget *buildPathPage();
    void showMessage(const QString &text);

    CIpAddrEdit *m_startIpEdit = nullptr;
    CIpAddrEdit *m_maskEdit = nullptr;
    CIpAddrEdit *m_gatewayEdit = nullptr;
    QCheckBox *m_autoConfig = nullptr;
    QStackedWidget *m_pages = nullptr;
    QString m_currentIp;
    QStringList m_selectedIps;
    QStringList m_unselectedIps;
};
