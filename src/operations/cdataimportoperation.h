#pragma once

#include <QHash>
#include <QJsonObject>
#include <QStringList>
#include <QVector>

#include "operations/canswermatcher.h"
#include "operations/coperation.h"

class CDeviceCtrlJob;

// Writes exported data files back into the nodes they name, one node per file. A file is
// read again for each run (a retry sends what the file holds then); one that cannot be
// imported (unreadable, malformed, of another type) fails without a send. The node's answer
// ends it; one past the deadline still counts. Codes: OutcomeText::EKind::Import.
class CDataImportOperation final : public COperation
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDataImportOperation)

public:
    static constexpr int kDeadlineMs = 15000;
    enum : int { Imported = 0, TypeMismatch = 1, ImportFailed = 2, DeviceOffline = 3 };

    // job sends; with a model it sends only to a node of that scan.
    CDataImportOperation(CDeviceCtrlJob *job, const QStringList &paths, QObject *parent = nullptr);
    ~CDataImportOperation() override;

    QString path(int index) const { return m_paths.at(index); }
    // The node address of a data file entry; true when the entry can be imported.
    static bool checkEntry(const QJsonObject &entry, QString &ip);

protected:
    sBulkOutcome runNode(int index, const CBulkRunner::Control &ctl) override;
    sNodeOutcome toOutcome(int index, const sBulkOutcome &run) const override;
    void stopping() override;

private:
    void onAnswer(int index, const sImportDataRes &answer);
    static QVector<sOperationNode> nodesOf(CDeviceCtrlJob *job, const QStringList &paths);

    CDeviceCtrlJob *const m_job;
    const QStringList m_paths;
    CAnswerRoutes m_routes;
};
