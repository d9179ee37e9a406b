#pragma once

#include <QHash>
#include <QString>

#include "model/sdeviceinfo.h"
#include "operations/canswermatcher.h"
#include "operations/coperation.h"

class CDeviceCtrlJob;

// Data export: asks each node for its data (at most the configured number in flight, each
// with its own deadline from its own request) and writes each answer to a file in the
// folder. A node selected twice is asked once. An answer after the deadline, or a second
// one, is still written and counts. Codes: OutcomeText::EKind::Export (0 written, 2 not);
// a written node's detail is the file's path.
class CExportWorker final : public COperation
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CExportWorker)

public:
    // A node's request and its answer: the node fails only when this has passed.
    static constexpr int kDeadlineMs = 15000;
    enum : int { Written = 0, NotWritten = 2 };

    CExportWorker(const SelectedNodeList &nodes, CDeviceCtrlJob *job, const QString &folder, QObject *parent = nullptr);
    ~CExportWorker() override;

    // The node of an address, -1 when none.
    int indexOf(const QString &ip) const { return m_index.value(ip, -1); }
    // prefix + ip + ".json"; empty when ip is not a dotted IPv4 address, so that
    // a name taken from a node's answer can never leave the folder.
    static QString fileNameFor(const QByteArray &ip, int type);
    // On the link thread of the answer: writes the node's file and ends the node.
    void exportDataSave(int index, const sDeviceData &data);

protected:
    sBulkOutcome runNode(int index, const CBulkRunner::Control &ctl) override;
    sNodeOutcome toOutcome(int index, const sBulkOutcome &run) const override;
    void stopping() override;

private:
    static QVector<sOperationNode> nodesOf(const SelectedNodeList &nodes);

    CDeviceCtrlJob *const m_job;
    const QString m_folder;
    QHash<QString, int> m_index; // set in the constructor, then only read
    CAnswerRoutes m_routes;
};
