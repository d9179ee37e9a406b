#include "dialog/clogexportworker.h"

#include <QThread>

#include "transfer/csftpclient.h"
#include "transfer/cupdatemanagerctrl.h"

CLogExportWorker::CLogExportWorker(const QString &folder, const sDeviceInfo &node, QObject *parent)
    : QObject(parent), m_folder(folder), m_node(node), m_manager(new CUpdateManagerCtrl(this))
{
}

bool CLogExportWorker::stopAsked() const
{
    return QThread::currentThread()->isInterruptionRequested() || m_transEnable->load() == 0;
}

QString CLogExportWorker::fetchIp() const
{
    return QString::fromUtf8(m_proxyMode ? m_node.managerIP : m_node.ip);
}

void CLogExportWorker::exportAllLog()
{
    if (stopAsked())
        return;
    m_proxyMode = false;
    fetch();
}

void CLogExportWorker::exportProxyLog()
{
    if (stopAsked())
        return;
    m_proxyMode = true;
    fetch();
}

void CLogExportWorker::retry(QString ip)
{
    if (stopAsked())
        return;
    // The row is named by the record's IP, also in proxy mode where the fetch
    // goes to the manager's address.
    if (ip != QString::fromUtf8(m_node.ip) && !m_nodeTypes.contains(ip))
        return;
    fetch();
}

void CLogExportWorker::fetch()
{
    const QString ip = fetchIp();
    if (!m_manager->findClient(ip)) {
        sTransInfo info;
        info.ip = ip;
        info.localPath = m_folder;
        info.upgradeType = 0;
        info.transEnable = m_transEnable;
        m_manager->addClient(info);
    }
    bool ok = false;
    if (csftpclient *client = m_manager->findClient(ip))
        ok = m_proxyMode ? client->downloadProxyLogs(m_node) : client->downloadNodeLogs(m_node);
    m_nodeTypes.insert(ip, m_node.nodeType);
    if (!stopAsked())
        emit sigExportResult(QString::fromUtf8(m_node.ip), ok);
}
