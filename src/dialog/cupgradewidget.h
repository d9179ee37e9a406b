#pragma once

#include <QList>
#include <QMultiHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include "history/ccommandhistory.h"
#include "model/sdeviceinfo.h"
#include "operations/crolloutplan.h"
#include "ui/ccustomdialog.h"

class CDeviceCtrlObserver;
class CProgressListItem;
class CUpdateManagerCtrl;
class CUpgradeWorker;
class QListWidget;

// The part the firmware and application upgrade dialogs share: one progress
// row per node, a worker whose bulk runner does the transfers, retry, and the closing
// confirmation that stops everything.
class CUpgradeWidget : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CUpgradeWidget)

public:
    ~CUpgradeWidget() override;

    // Before startUpdate: the staged rollout (defaults: every node at once), the versions the
    // table lists by address (for skipping current nodes), and the history entry's command.
    void setRollout(const sRolloutOptions &options) { m_rollout = options; }
    void setNodeVersions(const QHash<QString, QByteArray> &versions) { m_versions = versions; }
    void setHistoryCommand(const QString &command) { m_historyCommand = command; }
    void startUpdate(const QString &packagePath, const SelectedNodeList &nodes);
    // The verification field of a row, as shown.
    QString verification(int index) const;
    CUpgradeWorker *worker() const { return m_worker; }

    QStringList ipList() const { return m_ipList; }
    QListWidget *rowList() const { return m_rowList; }
    CProgressListItem *row(int index) const { return m_rows.value(index); }
    int rowCount() const { return m_rows.size(); }
    int finishedCount() const;
    // Each node as its row shows it now.
    QVector<sHistoryNode> outcomes();
    bool inProgress() const { return m_inProgress; }

signals:
    void startUpdateProgress(QStringList ipList, QString fileName);
    void transStopSignal(bool bStop);
    void retrySignal(QString ip);

public slots:
    void setUpdateResult(bool isProgress, QString ip, int res);
    void setStage(const QString &ip, int stage, const QByteArray &seen, qint64 ms);
    void onOkClicked() override;
    void onCancelClicked() override;

protected:
    struct sBehaviour
    {
        bool rowsForEmptyIp = false;     // a row, and a list entry, for an empty IP
        bool okTextWhenDone = true;      // OK reads "确定" once every row has a result
    };

    CUpgradeWidget(const sBehaviour &behaviour, QWidget *parent);

    // Called by the subclass constructor once its worker is made.
    void attachWorker(CUpgradeWorker *worker);
    CUpdateManagerCtrl *manager() const { return m_manager; }
    CDeviceCtrlObserver *observer() const { return m_observer; }

    // Texts in the subclass's own translation context.
    virtual QString cancelText() const = 0;
    virtual QString doneText() const = 0;
    virtual QString cancelQuestion() const = 0;

    void showEvent(QShowEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Asks whether to keep a node's new SSH host key when its transfer was refused for it.
    void offerNewHostKey(const QString &ip);

    void addRow(const QString &ip);
    void retryRow(CProgressListItem *row);
    void closeRequested(int result);
    void stopAll();

    const sBehaviour m_behaviour;
    sRolloutOptions m_rollout;
    QHash<QString, QByteArray> m_versions;
    QString m_historyCommand;
    int m_timerId = 0;
    bool m_shownOnce = false;
    QString m_path;
    QStringList m_ipList;          // one entry per row, in row order
    QVector<int64_t> m_ids;        // the same for the node ids
    QList<CProgressListItem *> m_rows;
    QMultiHash<QString, int> m_rowsByIp; // row indices of each IP
    QVector<bool> m_rowDone;       // the row shows a result
    QListWidget *m_rowList = nullptr;
    CUpdateManagerCtrl *m_manager = nullptr;
    CDeviceCtrlObserver *m_observer = nullptr;
    bool m_inProgress = true;
    bool m_closing = false;
    CUpgradeWorker *m_worker = nullptr; // owned; deleted by stopAll()
};
