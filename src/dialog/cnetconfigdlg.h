#pragma once

#include <QString>
#include <QStringList>

#include "ui/ccustomdialog.h"

class QCheckBox;
class QLineEdit;
class QStackedWidget;
class CIpAddrEdit;

// New addresses for the selected nodes: consecutive from a start IP, one mask and gateway.
// OK only closes when no planned address belongs to a node that is not selected.
class CNetConfigDlg final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNetConfigDlg)

public:
    CNetConfigDlg(const QString &startIp, const QString &gateway, const QString &mask,
                  QWidget *parent = nullptr);

    void setSelectedCount(int count) { m_selectedCount = count; }
    void setUnselectedIps(const QStringList &ips) { m_unselectedIps = ips; }

    QString startIp() const;
    QString mask() const;
    QString gateway() const;

    // The address after ip in the plan: last octet + 1; empty for an invalid address or past 254.
    static QString nextPlanAddress(const QString &ip);
    // True when one of count addresses planned from start is among unselected.
    static bool planConflicts(const QString &start, int count, const QStringList &unselected);

public slots:
    void onOkClicked() override;
    void onCancelClicked() override {}
    void importPath();
    void exportPath();

private:
    QWidget *buildAddressPage();
    QWidget *buildPathPage();

    CIpAddrEdit *m_startIpEdit = nullptr;
    CIpAddrEdit *m_maskEdit = nullptr;
    CIpAddrEdit *m_gatewayEdit = nullptr;
    QCheckBox *m_autoConfig = nullptr;
    QStackedWidget *m_pages = nullptr;
    QString m_currentIp;
    int m_selectedCount = 0;
    QStringList m_unselectedIps;
};
