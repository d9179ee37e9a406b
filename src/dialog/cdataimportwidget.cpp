#include "dialog/cdataimportwidget.h"

#include "comm/cdevicectrljob.h"
#include "comm/cdevicectrlobserver.h"
#include "comm/cobserverlist.h"
#include "dialog/progressrows.h"

#include <QJsonObject>
#include <QListWidget>
#include <QVBoxLayout>

CDataImportWidget::CDataImportWidget(CDeviceCtrlJob *job, QWidget *parent)
    : CCustomDialog(parent)
    , m_job(job)
    , m_observer(new CDeviceCtrlObserver(this))
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(660, 465);
    setTitle(tr("数据导入"));
    setOkText(tr("确定"));
    hideCancelButton();

    m_list = ProgressRows::makeList(contentWidget());
    auto *layout = new QVBoxLayout(contentWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);

    registerCommMetaTypes();
    connect(m_observer, &CDeviceCtrlObserver::sigImportRes, this, &CDataImportWidget::importDataOver,
            Qt::DirectConnection);
    CObserverList::instance().add(m_observer);
}

CDataImportWidget::~CDataImportWidget()
{
    CObserverList::instance().remove(m_observer);
    m_observer->disconnect();
    QMutexLocker lock(&m_answerMutex);
    m_closing = true;
}

CProgressListItem *CDataImportWidget::row(int index) const
{
    return ProgressRows::row(m_list, index);
}

bool CDataImportWidget::checkEntry(const QJsonObject &entry, QString &ip)
{
    const QJsonObject devData = entry.value(QStringLiteral("devData")).toObject();
    ip = devData.value(QStringLiteral("ip")).toString();
    const int type = devData.value(QStringLiteral("type")).toInt();
    return type == DecoderNode || type == EncoderNode;
}

void CDataImportWidget::startImport(const QStringList &paths)
{
    m_files.clear();
    if (paths.isEmpty())
        return;
    importFile(paths.first(), nullptr);
}

void CDataImportWidget::importFile(const QString &path, CProgressListItem *item)
{
    QJsonObject entry;
    m_job->readJsonFile(path, entry);
    QString ip;
    const bool importable = checkEntry(entry, ip);
    m_files.insert(ip, path);

    if (!item) {
        item = ProgressRows::addRow(m_list, ip, ProgressKind::Import);
        connect(item, &CProgressListItem::sigRetry, this, &CDataImportWidget::retry);
    }
    // Failed until the node answers; started before the send so no answer is missed.
    ProgressRows::start(item, ProgressRows::ImportFailed);
    if (!importable)
        return; // unreadable, malformed or of an unknown type: nothing to send

    QString sentTo;
    if (!m_job->importDataEntry(entry, sentTo))
        item->setResultCode(ProgressRows::DeviceOffline);
}

void CDataImportWidget::retry(const QString &ip)
{
    const auto it = m_files.constFind(ip);
    if (it == m_files.constEnd())
        return;
    auto *item = qobject_cast<CProgressListItem *>(sender());
    if (!item)
        return;
    importFile(it.value(), item);
}

void CDataImportWidget::importDataOver(sImportDataRes *data)
{
    // Runs on the link thread that parsed the answer; the row is touched on the GUI thread.
    QMutexLocker lock(&m_answerMutex);
    if (!data || m_closing)
        return;
    const QString ip = QString::fromUtf8(data->ip);
    const int res = data->result;
    if (res == 0)
        m_job->closeLink(ip);
    if (res < 0 || res > 2)
        return;
    QMetaObject::invokeMethod(
        this, [this, ip, res] { ProgressRows::setResult(m_list, ip, res); }, Qt::QueuedConnection);
}
