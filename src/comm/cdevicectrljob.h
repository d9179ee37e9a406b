#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

#include "comm/sdevicedata.h"
#include "model/sdeviceinfo.h"

class CNodeListModel;

// One operation per node command. Each packs its frame through the process-wide
// command sender, sends it over UDP or TCP and blocks the calling thread until
// the send is done. Results follow one rule: 0x1000 is success; otherwise
// success means neither 0x1001 nor below 1.
// The operations over many nodes send their frames in order as one batch with one
// receive window; `stop` (asked between sends) ends a batch early, and what was not
// sent counts as a failed send. They may run on any thread but setDecoder/setEncoder,
// which read the model.
class CDeviceCtrlJob final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDeviceCtrlJob)

public:
    // model may be null; then the settings operations find no node.
    explicit CDeviceCtrlJob(CNodeListModel *model, QObject *parent = nullptr);

    using Stop = std::function<bool()>;

    // Empties both stores, then broadcasts 1006 on every card that is up, not loopback and
    // not left out in the configuration; from one unbound socket (the route's card) when the
    // PC has no such card. False when nothing went out, also when every card is left out.
    bool scanNodes(const Stop &stop = {});
    // The same on the named cards only (system or human names). A name that is no card up
    // with an IPv4 address gives false with the name in unknown; nothing is sent then and
    // the stores stay as they are.
    bool scanNodesOn(const QStringList &cardNames, QStringList &unknown, const Stop &stop = {});
    bool scanNode(const QByteArray &ip);       // 1006 unicast, stores kept
    bool setDecoder(const QString &ip, int64_t nodeId);
    bool setEncoder(const QString &ip, int64_t nodeId);
    // The record as given (read from the model beforehand), so the send may run off the
    // model's thread.
    bool sendDecoderRecord(const QString &ip, const sDecoderInfo &record);
    bool sendEncoderRecord(const QString &ip, const sEncoderInfo &record);
    // sent, when given, gets one send result per entry of nodes (0 for an entry not sent).
    bool rebootNodes(const SelectedNodeList &nodes, const Stop &stop = {}, QVector<int> *sent = nullptr);
    bool factoryResetNodes(const SelectedNodeList &nodes, const Stop &stop = {}, QVector<int> *sent = nullptr);
    bool syncTime(const QString &ip, int64_t timeBase);
    bool setProxyLogLevel(int level);
    bool switchNodeType(const QList<sDeviceInfo> &nodes, QList<sDeviceInfo> &failed, const Stop &stop = {});
    // sent, when given, gets one send result per planned node, in plan order.
    bool setNetwork(const QString &startIp, const QString &mask, const QString &gateway,
                    const QStringList &currentIps, const Stop &stop = {}, QVector<int> *sent = nullptr);
    // 3501 with each record, to the record's ip; returns how many sends succeeded.
    int setDecoders(const QList<sDecoderInfo> &records, const Stop &stop = {}, QVector<int> *sent = nullptr);
    bool exportDecoderData(const QByteArray &ip);
    bool exportEncoderData(const QByteArray &ip);
    bool importDecoderData(const QByteArray &ip, const sDeviceData &data);
    bool importEncoderData(const QByteArray &ip, const sDeviceData &data);
    bool closeLink(const QString &ip);
    QJsonObject packDataEntry(const sDeviceData &data) const;
    bool importDataEntry(const QJsonObject &entry, QString &ip);
    void readJsonFile(const QString &path, QJsonObject &out) const;
    bool writeJsonFile(const QString &path, const QByteArray &bytes) const;

private:
    CNodeListModel *m_model = nullptr;
};
