#pragma once

#include <QString>
#include <QVector>

#include "model/sdeviceinfo.h"
#include "operations/coperation.h"
#include "transfer/stransinfo.h"

class CUpdateManagerCtrl;

// Fetches log files over SFTP into a folder on this computer, one fetch per node, each
// ending by itself or by the stop (no deadline). A node is named by its record's address;
// what is fetched, and from where, is the subclass's. Codes: OutcomeText::EKind::Export
// (0 every file written, 2 something was not, 4 a file passed the size limit); the
// outcome's cause is the fetch's csftpclient::LogFailure.
class CLogExportWorker : public COperation
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CLogExportWorker)

public:
    enum : int { Written = 0, Failed = 2, TooLarge = 4 };

    ~CLogExportWorker() override;

    // The address a node's logs come from.
    virtual QByteArray sourceOf(const sDeviceInfo &node) const = 0;
    QByteArray source(int index) const { return sourceOf(m_records.at(index)); }
    // The folder a node's logs land in.
    QString folderOf(int index) const;

protected:
    CLogExportWorker(const QString &folder, const QVector<sDeviceInfo> &records, bool proxy, QObject *parent);

    sBulkOutcome runNode(int index, const CBulkRunner::Control &ctl) override;
    sNodeOutcome toOutcome(int index, const sBulkOutcome &run) const override;
    void stopping() override;

private:
    static QVector<sOperationNode> nodesOf(const QVector<sDeviceInfo> &records);

    const QString m_folder;
    const QVector<sDeviceInfo> m_records;
    const bool m_proxy;
    TransFlag m_go = makeTransFlag();
    CUpdateManagerCtrl *m_manager = nullptr; // child
};

// A node's own log files ("/userdata/logs/"), from the node.
class CNodeLogOperation final : public CLogExportWorker
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNodeLogOperation)

public:
    CNodeLogOperation(const QString &folder, const QVector<sDeviceInfo> &records, QObject *parent = nullptr)
        : CLogExportWorker(folder, records, false, parent)
    {
    }
    ~CNodeLogOperation() override { finish(); }
    QByteArray sourceOf(const sDeviceInfo &node) const override { return node.ip; }
};

// The proxy logs, from the proxy node each record names (its managerIP).
class CProxyLogOperation final : public CLogExportWorker
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CProxyLogOperation)

public:
    CProxyLogOperation(const QString &folder, const QVector<sDeviceInfo> &records, QObject *parent = nullptr)
        : CLogExportWorker(folder, records, true, parent)
    {
    }
    ~CProxyLogOperation() override { finish(); }
    QByteArray sourceOf(const sDeviceInfo &node) const override { return node.managerIP; }
};
