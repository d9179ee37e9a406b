#include "comm/cdevicectrljob.h"

#include <algorithm>

#include "config/cappconfig.h"
#include "comm/addressplan.h"
#include "comm/ipv4.h"
#include "comm/ccommandsender.h"
#include "comm/ctcpmanager.h"
#include "comm/datafile.h"
#include "comm/netinterfaces.h"
#include "comm/protocol.h"
#include "model/cdecoderlist.h"
#include "model/cencoderlist.h"
#include "model/cnodelistmodel.h"

CDeviceCtrlJob::CDeviceCtrlJob(CNodeListModel *model, QObject *parent) : QObject(parent), m_model(model)
{
}

namespace {
enum class ECards { Route, Chosen, None };

// The cards a broadcast leaves by: every card that is up minus the ones left out in the
// configuration; with no card but loopback, the route's.
ECards broadcastCards(QVector<sNetInterface> &chosen)
{
    const QVector<sNetInterface> cards = NetInterfaces::candidates();
    if (cards.isEmpty())
        return ECards::Route;
    chosen = NetInterfaces::without(cards, CAppConfig::instance()->scanExcludedInterfaces());
    return chosen.isEmpty() ? ECards::None : ECards::Chosen;
}
} // namespace

bool CDeviceCtrlJob::scanNodes(const Stop &stop)
{
    QVector<sNetInterface> chosen;
    const ECards cards = broadcastCards(chosen);
    CDecoderList::instance().clearNodes();
    CEncoderList::instance().clearNodes();
    if (cards == ECards::Route)
        return Protocol::sendSucceeded(CCommandSender::instance().sendScan(stop));
    if (cards == ECards::None)
        return false;
    return Protocol::sendSucceeded(CCommandSender::instance().sendScanOn(chosen, stop));
}

bool CDeviceCtrlJob::scanNodesOn(const QStringList &cardNames, QStringList &unknown, const Stop &stop)
{
    QVector<sNetInterface> chosen;
    if (!NetInterfaces::named(NetInterfaces::candidates(), cardNames, chosen, unknown) || chosen.isEmpty())
        return false;
    CDecoderList::instance().clearNodes();
    CEncoderList::instance().clearNodes();
    return Protocol::sendSucceeded(CCommandSender::instance().sendScanOn(chosen, stop));
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
    return sendDecoderRecord(ip, node);
}

bool CDeviceCtrlJob::sendDecoderRecord(const QString &ip, const sDecoderInfo &record)
{
    if (record.id <= 0)
        return false;
    return Protocol::sendSucceeded(CCommandSender::instance().sendDecoderSettings(ip.toUtf8(), record));
}

bool CDeviceCtrlJob::setEncoder(const QString &ip, int64_t nodeId)
{
    if (!m_model)
        return false;
    sEncoderInfo node;
    m_model->findById(node, nodeId);
    return sendEncoderRecord(ip, node);
}

bool CDeviceCtrlJob::sendEncoderRecord(const QString &ip, const sEncoderInfo &record)
{
    if (record.id <= 0)
        return false;
    return Protocol::sendSucceeded(CCommandSender::instance().sendEncoderSettings(ip.toUtf8(), record));
}

namespace {
// One frame per node with an id above 0, in list order.
template <typename Pack>
QVector<CUdpClient::sUnicast> framesFor(const SelectedNodeList &nodes, Pack pack)
{
    QVector<CUdpClient::sUnicast> sends;
    for (const sSelectedNode &node : nodes) {
        if (node.id <= 0)
            continue;
        QByteArray frame;
        pack(node.id, frame);
        sends.append({frame, node.ip});
    }
    return sends;
}
} // namespace

namespace {
// Spreads the batch's results (one per frame) over the entries they came from.
void perEntry(const SelectedNodeList &nodes, const QVector<int> &results, QVector<int> *sent)
{
    if (!sent)
        return;
    sent->clear();
    int next = 0;
    for (const sSelectedNode &node : nodes)
        sent->append(node.id > 0 && next < results.size() ? results.at(next++) : 0);
}
} // namespace

bool CDeviceCtrlJob::rebootNodes(const SelectedNodeList &nodes, const Stop &stop, QVector<int> *sent)
{
    const CProtocolPacker &packer = CCommandSender::instance().packer();
    const auto sends = framesFor(nodes, [&packer](int64_t id, QByteArray &f) { packer.packReboot(id, f); });
    QVector<int> results;
    if (!sends.isEmpty())
        CCommandSender::instance().sendBatch(sends, results, stop);
    perEntry(nodes, results, sent);
    return !results.isEmpty() && results.last() > 0; // the last send decides
}

bool CDeviceCtrlJob::factoryResetNodes(const SelectedNodeList &nodes, const Stop &stop, QVector<int> *sent)
{
    const CProtocolPacker &packer = CCommandSender::instance().packer();
    const auto sends = framesFor(nodes, [&packer](int64_t id, QByteArray &f) { packer.packFactoryReset(id, f); });
    QVector<int> results;
    if (!sends.isEmpty())
        CCommandSender::instance().sendBatch(sends, results, stop);
    perEntry(nodes, results, sent);
    return true;
}

bool CDeviceCtrlJob::syncTime(const QString &ip, int64_t timeBase)
{
    // A broadcast: it reaches the nodes the scan reaches, by the same cards.
    QVector<sNetInterface> chosen;
    switch (broadcastCards(chosen)) {
    case ECards::Route: return Protocol::sendSucceeded(CCommandSender::instance().sendTimeBase(ip.toUtf8(), timeBase));
    case ECards::Chosen: return Protocol::sendSucceeded(CCommandSender::instance().sendTimeBaseOn(chosen, timeBase));
    case ECards::None: break;
    }
    return false;
}

bool CDeviceCtrlJob::setProxyLogLevel(int level)
{
    QVector<sNetInterface> chosen;
    switch (broadcastCards(chosen)) {
    case ECards::Route: return Protocol::sendSucceeded(CCommandSender::instance().sendLogLevel(level));
    case ECards::Chosen: return Protocol::sendSucceeded(CCommandSender::instance().sendLogLevelOn(chosen, level));
    case ECards::None: break;
    }
    return false;
}

bool CDeviceCtrlJob::switchNodeType(const QList<sDeviceInfo> &nodes, QList<sDeviceInfo> &failed, const Stop &stop)
{
    const CProtocolPacker &packer = CCommandSender::instance().packer();
    QVector<CUdpClient::sUnicast> sends;
    QList<sDeviceInfo> sentNodes;
    for (const sDeviceInfo &node : nodes) {
        if (node.id < 1)
            continue;
        QByteArray frame;
        packer.packNodeType(node.nodeType == DecoderNode ? EncoderNode : DecoderNode, frame);
        sends.append({frame, node.ip});
        sentNodes.append(node);
    }
    QVector<int> results;
    if (!sends.isEmpty())
        CCommandSender::instance().sendBatch(sends, results, stop);
    for (int i = 0; i < sends.size(); ++i) {
        if (results.at(i) < 1)
            failed.append(sentNodes.at(i));
    }
    return true;
}

bool CDeviceCtrlJob::setNetwork(const QString &startIp, const QString &mask, const QString &gateway,
                                const QStringList &currentIps, const Stop &stop, QVector<int> *sent)
{
    const CProtocolPacker &packer = CCommandSender::instance().packer();
    QVector<CUdpClient::sUnicast> sends;
    // The plan the dialog checked.
    for (const AddressPlan::sPlannedAddress &node : AddressPlan::plan(startIp, currentIps)) {
        if (node.planned.isEmpty())
            continue;
        QByteArray frame;
        packer.packNetwork(node.planned, mask, gateway, frame);
        sends.append({frame, node.current.toUtf8()});
    }
    QVector<int> results;
    if (!sends.isEmpty())
        CCommandSender::instance().sendBatch(sends, results, stop);
    if (sent)
        *sent = results;
    return true;
}

int CDeviceCtrlJob::setDecoders(const QList<sDecoderInfo> &records, const Stop &stop, QVector<int> *sent)
{
    const CProtocolPacker &packer = CCommandSender::instance().packer();
    QVector<CUdpClient::sUnicast> sends;
    for (const sDecoderInfo &record : records) {
        QByteArray frame;
        packer.packDecoderSettings(record, frame);
        sends.append({frame, record.ip});
    }
    QVector<int> results;
    if (!sends.isEmpty())
        CCommandSender::instance().sendBatch(sends, results, stop);
    if (sent)
        *sent = results;
    return int(std::count_if(results.cbegin(), results.cend(), [](int r) { return Protocol::sendSucceeded(r); }));
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
    // The file names its target: a node of this scan only, by the one address rule.
    if (!Ipv4::isNodeAddress(data.ip) || (m_model && !m_model->hasAddress(data.ip)))
        return false;
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
