#include "transfer/cupdatemanagerctrl.h"

#include <QDebug>
#include <QFile>

#include "comm/ctcpmanager.h"
#include "transfer/csftpclient.h"

CUpdateManagerCtrl::CUpdateManagerCtrl(QObject *parent) : QObject(parent) {}

CUpdateManagerCtrl::~CUpdateManagerCtrl() = default;

bool CUpdateManagerCtrl::addClient(const sTransInfo &info)
{
    auto client = std::make_unique<csftpclient>();
    if (!client->setTransInfo(info))
        return false;
    QMutexLocker lock(&m_mutex);
    m_clients.push_back(std::move(client));
    return true;
}

csftpclient *CUpdateManagerCtrl::findClient(const QString &ip) const
{
    QMutexLocker lock(&m_mutex);
    for (const auto &client : m_clients) {
        if (client->ip() == ip)
            return client.get();
    }
    return nullptr;
}

void CUpdateManagerCtrl::finishClient(const QString &ip)
{
    // Clients are never removed, so the pointer stays good outside the lock,
    // and the join must not hold it.
    if (csftpclient *client = findClient(ip))
        client->joinTransfer();
    CTcpManager::instance().removeTcp(ip);
}

uint32_t CUpdateManagerCtrl::packageSize(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "can't open error!";
        return 0;
    }
    return uint32_t(file.size());
}
