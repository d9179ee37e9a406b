#include "comm/cdevicectrljob.h"

#include "comm/addressplan.h"
#include "comm/ccommandsender.h"
#include "comm/ctcpmanager.h"
#include "comm/datafile.h"
#include "comm/protocol.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"

CDeviceCtrlJob::CDeviceCtrlJob(CNodeListModel *model, QObject *parent) : QObject(parent), m_model(model)
{
}

bool CDeviceCtrlJob::scanNodes()
{
    CDecoderList::instance().clearNodes();
    CEncoderList::instance().clearNodes();
    return Protocol::sendSucceeded(CCommandSender::instance().sendScan());
}

bool CDeviceCtrlJob::scanNode(const QByteArray &ip)
{
    return Protocol::sendSucceeded(CCommandSender::instance().sendProbe(ip));
}

bool CDeviceCtrlJob::setDecoder(const QString &ip, int64_t nodeId)
{
    if (!m_model)
        return false;
    sDecoderInfo node;
    m_model->findById(node, nodeId);
    if (node.id <= 0)
        return false;
    return Protocol::sendSucceeded(CCommandSender::instance().sendDecoderSettings(ip.toUtf8(), node));
}

bool CDeviceCtrlJob::setEncoder(const QString &ip, int64_t nodeId)
{
    if (!m_model)
        return false;
    sEncoderInfo node;
    m_model->findById(node, nodeId);
    if (node.id <= 0)
        return false;
    return Protocol::sendSucceeded(CCommandSender::instance().sendEncoderSettings(ip.toUtf8(), node));
}

bool CDeviceCtrlJob::rebootNodes(const SelectedNodeList &nodes)
{
    int last = 0;
    for (const sSelectedNode &node : nodes) {
        if (node.id > 0)
            last = CCommandSender::instance().sendReboot(node.ip, node.id);
    }
    return last > 0;
}

bool CDeviceCtrlJob::factoryResetNodes(const SelectedNodeList &nodes)
{
    for (const sSelectedNode &node : nodes) {
        if (node.id > 0)
            CCommandSender::instance().sendFactoryReset(node.ip, node.id);
    }
    return true;
}

bool CDeviceCtrlJob::syncTime(const QString &ip, int64_t timeBase)
{
    return Protocol::sendSucceeded(CCommandSender::instance().sendTimeBase(ip.toUtf8(), timeBase));
}

bool CDeviceCtrlJob::setProxyLogLevel(int level)
{
    return Protocol::sendSucceeded(CCommandSender::instance().sendLogLevel(level));
}

bool CDeviceCtrlJob::switchNodeType(const QList<sDeviceInfo> &nodes, QList<sDeviceInfo> &failed)
{
    for (const sDeviceInfo &node : nodes) {
        if (node.id < 1)
            continue;
        const int64_t target = node.nodeType == DecoderNode ? EncoderNode : DecoderNode;
        if (!CCommandSender::instance().sendNodeType(node.ip, target))
            failed.append(node);
    }
    return true;
}

bool CDeviceCtrlJob::setNetwork(const QString &startIp, const QString &mask, const QString &gateway,
                                const QStringList &currentIps)
{
    // The plan the dialog checked.
    for (const AddressPlan::sPlannedAddress &node : AddressPlan::plan(startIp, currentIps)) {
        if (!node.planned.isEmpty())
            CCommandSender::instance().sendNetwork(node.current.toUtf8(), node.planned, mask, gateway);
    }
    return true;
}

bool CDeviceCtrlJob::exportDecoderData(const QByteArray &ip)
{
    return Protocol::sendSucceeded(CCommandSender::instance().sendDecoderExport(ip));
}

bool CDeviceCtrlJob::exportEncoderData(const QByteArray &ip)
{
    return Protocol::sendSucceeded(CCommandSender::instance().sendEncoderExport(ip));
}

bool CDeviceCtrlJob::importDecoderData(const QByteArray &ip, const sDeviceData &data)
{
    return Protocol::sendSucceeded(CCommandSender::instance().sendDecoderImport(ip, data));
}

bool CDeviceCtrlJob::importEncoderData(const QByteArray &ip, const sDeviceData &data)
{
    return Protocol::sendSucceeded(CCommandSender::instance().sendEncoderImport(ip, data));
}

bool CDeviceCtrlJob::closeLink(const QString &ip)
{
    CTcpManager::instance().removeTcp(ip);
    return true;
}

QJsonObject CDeviceCtrlJob::packDataEntry(const sDeviceData &data) const
{
    return DataFile::packEntry(data);
}

bool CDeviceCtrlJob::importDataEntry(const QJsonObject &entry, QString &ip)
{
    sDeviceData data;
    DataFile::readEntry(entry, data);
    ip = QString::fromUtf8(data.ip);
    switch (data.type) {
    case DecoderNode:
        return importDecoderData(data.ip, data);
    case EncoderNode:
        return importEncoderData(data.ip, data);
    default:
        return true;
    }
}

void CDeviceCtrlJob::readJsonFile(const QString &path, QJsonObject &out) const
{
    DataFile::readJsonFile(path, out);
}

bool CDeviceCtrlJob::writeJsonFile(const QString &path, const QByteArray &bytes) const
{
    return DataFile::writeJsonFile(path, bytes);
}
