#include "dialog/cupgradeworker.h"

#include <QThread>

#include "comm/cdevicectrlobserver.h"
#include "transfer/csftpclient.h"
#include "transfer/cupdatemanagerctrl.h"

CUpgradeWorker::CUpgradeWorker(CUpdateManagerCtrl *manager, CDeviceCtrlObserver *observer,
                               int32_t upgradeType, QObject *parent)
    : QObject(parent), m_manager(manager), m_observer(observer), m_upgradeType(upgradeType)
{
}

bool CUpgradeWorker::stopAsked() const
{
    return QThread::currentThread()->isInterruptionRequested();
}

void CUpgradeWorker::startUploads(const QStringList &ipList, const QString &fileName)
{
    m_fileName = fileName;
    for (const QString &ip : ipList) {
        // A node listed twice gets one upload; its rows share it.
        if (ip.isEmpty() || m_nodes.contains(ip))
            continue;
        sTransInfo info;
        info.ip = ip;
        info.localPath = fileName;
        info.upgradeType = m_upgradeType;
        info.transEnable = &m_transEnable;
        if (!m_manager->addClient(info))
            continue;
        m_nodes.insert(ip);
        if (!startUpload(ip))
            fail(ip);
    }
}

bool CUpgradeWorker::startUpload(const QString &ip)
{
    csftpclient *client = m_manager->findClient(ip);
    if (!client)
        return false;
    return m_upgradeType == 1 ? client->uploadToApp() : client->uploadToUserdata();
}

void CUpgradeWorker::fail(const QString &ip)
{
    emit setUpdateProgress(false, ip, kNotUpgraded);
}

void CUpgradeWorker::updateTransProgress(QString ip, ulong finishedSize)
{
    if (stopAsked())
        return;
    emit setUpdateProgress(true, ip, int(finishedSize));
}

void CUpgradeWorker::onTransAnswer(QString ip, CURLcode res)
{
    if (ignoresLateTransfers() && stopAsked())
        return;
    // The observer hears every transfer of the process, not only ours.
    if (!m_nodes.contains(ip))
        return;
    // After a stop the operator has cancelled: no command, and the closing
    // dialog finishes the clients itself.
    if (m_transEnable.load() == 0)
        return;
    if (res == CURLE_OK) {
        csftpclient *client = m_manager->findClient(ip);
        if (client && client->sendUpgradeCommand())
            return; // the node's answer ends the row
        m_manager->finishClient(ip);
        fail(ip);
        return;
    }
    m_manager->finishClient(ip);
    fail(ip);
}

void CUpgradeWorker::updateOver(sUpdateRes *data)
{
    if (!data || stopAsked())
        return;
    const QString ip = QString::fromUtf8(data->ip);
    if (!ip.isEmpty())
        m_manager->finishClient(ip);
    emit setUpdateProgress(false, ip, int(data->value));
}

void CUpgradeWorker::retry(QString ip)
{
    if (ignoresLateTransfers() && stopAsked())
        return;
    if (ip.isEmpty() || !m_nodes.contains(ip))
        return;
    if (!startUpload(ip))
        fail(ip);
}

void CUpgradeWorker::SetTransStop(bool bStop)
{
    m_transEnable.store(bStop ? 0 : 1);
}
