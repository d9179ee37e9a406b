#pragma once

#include <QHash>
#include <QJsonObject>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "history/ccommandhistory.h"
#include "operations/cbulkrunner.h"

#include "comm/sdevicedata.h"
#include "ui/ccustomdialog.h"

class CDeviceCtrlJob;
class CDeviceCtrlObserver;
class CProgressListItem;
class QListWidget;

// Writes one exported data file back into the node named inside it. The send runs on a
// bulk runner's thread, never on the GUI thread; the row shows the node's answer
// whenever it comes and fails only at the request's own deadline.
class CDataImportWidget final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDataImportWidget)

public:
    static constexpr int kDeadlineMs = 15000;

    explicit CDataImportWidget(CDeviceCtrlJob *job, QWidget *parent = nullptr);
    ~CDataImportWidget() override;

    // Only the first path is imported.
    void startImport(const QStringList &paths);

    QListWidget *rowList() const { return m_list; }
    CProgressListItem *row(int index) const;
    // Each node as its row shows it now.
    QVector<sHistoryNode> outcomes();

    // The node address of a data file entry; true when the entry can be imported.
    static bool checkEntry(const QJsonObject &entry, QString &ip);

public slots:
    void importDataOver(sImportDataRes *data);
    void onOkClicked() override {}
    void onCancelClicked() override {}

private:
    struct sRequest
    {
        CBulkRunner *runner = nullptr;
    };

    void importFile(const QString &path, CProgressListItem *item);
    void retry(const QString &ip);
    void showOutcome(const QString &ip, const sBulkOutcome &outcome);

    QHash<QString, QString> m_files; // node IP -> file path
    QHash<QString, int64_t> m_ids;   // node IP -> node id, as the file names them
    QListWidget *m_list = nullptr;
    CDeviceCtrlJob *m_job = nullptr;
    CDeviceCtrlObserver *m_observer = nullptr;
    std::vector<std::unique_ptr<CBulkRunner>> m_runs; // one per import and retry
    QMutex m_answerMutex; // m_pending and m_closing; an answer being handled holds it
    QHash<QString, CBulkRunner *> m_pending; // the run an answer for the IP ends
    bool m_closing = false;
};
