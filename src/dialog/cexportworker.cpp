#include "dialog/cexportworker.h"

#include "comm/cdevicectrljob.h"
#include "comm/ipv4.h"

#include <QDebug>
#include <QDir>
#include <QJsonDocument>
#include <QThread>

CExportWorker::CExportWorker(const SelectedNodeList &nodes, CDeviceCtrlJob *job, const QString &folder)
    : m_nodes(nodes)
    , m_job(job)
    , m_folder(folder)
{
    setAutoDelete(false);
}

void CExportWorker::requestStop()
{
    QMutexLocker lock(&m_saveMutex);
    m_stop = true;
}

bool CExportWorker::stopRequested() const
{
    return m_stop || QThread::currentThread()->isInterruptionRequested();
}

QString CExportWorker::fileNameFor(const QByteArray &ip, int type)
{
    if (!Ipv4::isValid(QString::fromLatin1(ip)))
        return {};
    const char *prefix = type == DecoderNode ? "de" : type == EncoderNode ? "en" : "";
    return QString::fromLatin1(prefix) + QString::fromLatin1(ip) + QStringLiteral(".json");
}

void CExportWorker::request(const QString &ip, int type)
{
    const QByteArray address = ip.toUtf8();
    if (type == DecoderNode)
        m_job->exportDecoderData(address);
    else if (type == EncoderNode)
        m_job->exportEncoderData(address);
}

void CExportWorker::process()
{
    for (const sSelectedNode &node : m_nodes) {
        if (stopRequested())
            return;
        const QString ip = QString::fromUtf8(node.ip);
        m_types.insert(ip, node.nodeType);
        request(ip, node.nodeType);
    }
}

void CExportWorker::retry(QString ip)
{
    if (stopRequested())
        return;
    const auto it = m_types.constFind(ip);
    if (it != m_types.constEnd())
        request(ip, it.value());
}

void CExportWorker::exportDataSave(sDeviceData *deviceData)
{
    QMutexLocker lock(&m_saveMutex);
    if (!deviceData || m_stop)
        return;
    const QString ip = QString::fromUtf8(deviceData->ip);
    m_job->closeLink(ip);
    if (m_folder.isEmpty())
        return;
    const QString name = fileNameFor(deviceData->ip, deviceData->type);
    if (name.isEmpty()) {
        qDebug() << "export answer without a valid address";
        emit setExportResult(ip, 2);
        return;
    }
    const QByteArray text = QJsonDocument(m_job->packDataEntry(*deviceData)).toJson(QJsonDocument::Indented);
    const bool written = m_job->writeJsonFile(QDir(m_folder).filePath(name), text);
    emit setExportResult(ip, written ? 0 : 2);
}
