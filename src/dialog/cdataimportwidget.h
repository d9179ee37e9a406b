#pragma once

#include <QHash>
#include <QJsonObject>
#include <QMutex>
#include <QString>
#include <QStringList>

#include "comm/sdevicedata.h"
#include "ui/ccustomdialog.h"

class CDeviceCtrlJob;
class CDeviceCtrlObserver;
class CProgressListItem;
class QListWidget;

// Writes one exported data file back into the node named inside it.
class CDataImportWidget final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDataImportWidget)

public:
    explicit CDataImportWidget(CDeviceCtrlJob *job, QWidget *parent = nullptr);
    ~CDataImportWidget() override;

    // Only the first path is imported.
    void startImport(const QStringList &paths);

    QListWidget *rowList() const { return m_list; }
    CProgressListItem *row(int index) const;

    // The node address of a data file entry; true when the entry can be imported.
    static bool checkEntry(const QJsonObject &entry, QString &ip);

public slots:
    void importDataOver(sImportDataRes *data);
    void onOkClicked() override {}
    void onCancelClicked() override {}

private:
    void importFile(const QString &path, CProgressListItem *item);
    void retry(const QString &ip);

    QHash<QString, QString> m_files; // node IP -> file path
    QListWidget *m_list = nullptr;
    CDeviceCtrlJob *m_job = nullptr;
    CDeviceCtrlObserver *m_observer = nullptr;
    QMutex m_answerMutex; // an answer being handled on a link thread holds it
    bool m_closing = false;
};
