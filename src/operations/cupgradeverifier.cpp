#include "operations/cupgradeverifier.h"

#include <QVector>
#include <algorithm>

#include "comm/ccommandsender.h"
#include "comm/cobserverlist.h"
#include "comm/protocol.h"
#include "model/sdeviceinfo.h"

CUpgradeVerifier::CUpgradeVerifier(QObject *parent) : QObject(parent)
{
}

CUpgradeVerifier::~CUpgradeVerifier()
{
    stop();
    if (m_thread.joinable())
        m_thread.join();
    // Waits for an answer being handed to us on another thread.
    if (m_registered)
        CObserverList::instance().remove(this);
}

void CUpgradeVerifier::setPollMs(int ms)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pollMs = std::max(100, ms);
}

void CUpgradeVerifier::watch(const QString &ip, const QByteArray &version, int timeoutMs)
{
    if (!m_registered) {
        // Registered once, before the first scan goes out, on the caller's thread.
        CObserverList::instance().add(this);
        m_registered = true;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stop)
        return;
    const Clock::time_point now = Clock::now();
    m_watches.insert(ip, {version, QByteArray(), false, now, now + std::chrono::milliseconds(std::max(0, timeoutMs))});
    if (!m_thread.joinable())
        m_thread = std::thread(&CUpgradeVerifier::loop, this);
    m_changed.notify_all();
}

void CUpgradeVerifier::stop()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
    m_watches.clear();
    m_changed.notify_all();
}

void CUpgradeVerifier::onResult(int cmdType, void *record, int result, int nodeType)
{
    Q_UNUSED(result)
    if (cmdType != Protocol::AnsScan || !record || (nodeType != DecoderNode && nodeType != EncoderNode))
        return;
    // Both record types begin with the common part.
    const sDeviceInfo *info = nodeType == DecoderNode ? static_cast<const sDeviceInfo *>(static_cast<sDecoderInfo *>(record))
                                                      : static_cast<const sDeviceInfo *>(static_cast<sEncoderInfo *>(record));
    // The address the answer came from, never the one it claims: an answer of unknown
    // origin verifies nothing.
    if (info->sender.isEmpty())
        return;
    const QString from = QString::fromUtf8(info->sender);
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto it = m_watches.find(from);
    if (it == m_watches.end())
        return;
    it->answered = true;
    it->seen = info->version;
    if (it->seen != it->version)
        return;
    const QByteArray seen = it->seen;
    const qint64 waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - it->since).count();
    m_watches.erase(it);
    lock.unlock();
    emit sigVerdict(from, Verified, seen, waited);
}

void CUpgradeVerifier::loop()
{
    QByteArray frame;
    CCommandSender::instance().packer().packScan(frame);
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        if (m_watches.isEmpty()) {
            m_changed.wait(lock);
            continue;
        }
        QVector<CUdpClient::sUnicast> sends;
        for (auto it = m_watches.cbegin(); it != m_watches.cend(); ++it)
            sends.append({frame, it.key().toUtf8()});
        lock.unlock();
        // Answers reach onResult on this thread, during the batch's window.
        QVector<int> results;
        CCommandSender::instance().sendBatch(sends, results, [this] {
            std::lock_guard<std::mutex> l(m_mutex);
            return m_stop;
        });
        lock.lock();
        struct sEnd
        {
            QString ip;
            int verdict;
            QByteArray seen;
            qint64 waited;
        };
        QVector<sEnd> ended;
        const Clock::time_point now = Clock::now();
        Clock::time_point next = now + std::chrono::milliseconds(m_pollMs);
        for (auto it = m_watches.begin(); it != m_watches.end();) {
            if (it->deadline <= now) {
                const qint64 waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - it->since).count();
                ended.append({it.key(), it->answered ? StillOld : NotBack, it->seen, waited});
                it = m_watches.erase(it);
                continue;
            }
            next = std::min(next, it->deadline);
            ++it;
        }
        if (!ended.isEmpty()) {
            lock.unlock();
            for (const sEnd &e : qAsConst(ended))
                emit sigVerdict(e.ip, e.verdict, e.seen, e.waited);
            lock.lock();
        }
        m_changed.wait_until(lock, next, [this] { return m_stop; });
    }
}
