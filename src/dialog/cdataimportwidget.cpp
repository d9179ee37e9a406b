#include "dialog/cdataimportwidget.h"

#include "comm/cdevicectrljob.h"
#include "comm/cdevicectrlobserver.h"
#include "comm/cobserverlist.h"
#include "comm/datafile.h"
#include "dialog/progressrows.h"

#include <QJsonObject>
#include <QListWidget>
#include <QVBoxLayout>
#include <algorithm>

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
    // Waits for an answer being handled on a link thread.
    CObserverList::instance().remove(m_observer);
    QStringList links;
    {
        QMutexLocker lock(&m_answerMutex);
        m_closing = true;
        links = m_pending.keys();
    }
    for (const auto &run : m_runs)
        run->cancel();
    // A send still waiting for its connection ends when its link is closed.
    for (const QString &ip : qAsConst(links))
        m_job->closeLink(ip);
    m_runs.clear(); // joins the runners' threads
}

CProgressListItem *CDataImportWidget::row(int index) const
{
    return ProgressRows::row(m_list, index);
}

QVector<sHistoryNode> CDataImportWidget::outcomes()
{
    QVector<sHistoryNode> out;
    for (int i = 0; i < m_list->count(); ++i) {
        if (CProgressListItem *item = row(i))
            out.append(ProgressRows::outcome(item, m_ids.value(item->ip())));
    }
    return out;
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
    sDeviceData named;
    DataFile::readEntry(entry, named);
    m_ids.insert(ip, named.id);

    if (!item) {
        item = ProgressRows::addRow(m_list, ip, ProgressKind::Import);
        connect(item, &CProgressListItem::sigRetry, this, &CDataImportWidget::retry);
    }
    if (!importable) {
        // Unreadable, malformed or of an unknown type: nothing is sent, nothing imported.
        ProgressRows::start(item, ProgressRows::ImportFailed);
        return;
    }
    ProgressRows::start(item, ProgressRows::Pending);

    // Finished runs hold nothing any more.
    m_runs.erase(std::remove_if(m_runs.begin(), m_runs.end(),
                                [this](const std::unique_ptr<CBulkRunner> &r) {
                                    QMutexLocker lock(&m_answerMutex);
                                    return !r->isRunning() && !m_pending.values().contains(r.get());
                                }),
                 m_runs.end());
    auto run = std::make_unique<CBulkRunner>();
    CBulkRunner *runner = run.get();
    runner->setDeadlineMs(kDeadlineMs);
    connect(runner, &CBulkRunner::sigOutcome, this,
            [this, ip](int, const sBulkOutcome &outcome) { showOutcome(ip, outcome); }, Qt::QueuedConnection);
    m_runs.push_back(std::move(run));
    runner->start(1, [this, runner, entry, ip](int, const CBulkRunner::Control &) {
        {
            // Registered before the send: the answer may beat the send's return.
            QMutexLocker lock(&m_answerMutex);
            if (m_closing)
                return sBulkOutcome{sBulkOutcome::Cancelled, 0, QString()};
            m_pending.insert(ip, runner);
        }
        QString sentTo;
        if (m_job->importDataEntry(entry, sentTo))
            return sBulkOutcome{sBulkOutcome::Pending, 0, QString()};
        QMutexLocker lock(&m_answerMutex);
        if (m_pending.value(ip) == runner)
            m_pending.remove(ip);
        return sBulkOutcome{sBulkOutcome::Failed, ProgressRows::DeviceOffline, QString()};
    });
}

void CDataImportWidget::showOutcome(const QString &ip, const sBulkOutcome &outcome)
{
    int code = ProgressRows::ImportFailed; // no answer by the deadline
    if (outcome.state == sBulkOutcome::Succeeded || outcome.state == sBulkOutcome::Failed)
        code = outcome.code;
    else if (outcome.state == sBulkOutcome::Cancelled)
        return;
    ProgressRows::setResult(m_list, ip, code);
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
    CBulkRunner *runner = m_pending.take(ip);
    const sBulkOutcome outcome{res == 0 ? sBulkOutcome::Succeeded : sBulkOutcome::Failed, res, QString()};
    // An answer after the deadline still shows what the node did.
    if (!runner || !runner->complete(0, outcome))
        QMetaObject::invokeMethod(this, [this, ip, res] { ProgressRows::setResult(m_list, ip, res); },
                                  Qt::QueuedConnection);
}
