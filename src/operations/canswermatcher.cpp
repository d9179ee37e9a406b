#include "operations/canswermatcher.h"

#include "comm/cobserverlist.h"
#include "comm/protocol.h"
#include "model/sdeviceinfo.h"

CAnswerMatcher &CAnswerMatcher::instance()
{
    // Never destroyed: a link thread may announce while statics are torn down.
    static CAnswerMatcher *matcher = [] {
        auto *m = new CAnswerMatcher;
        CObserverList::instance().add(m);
        return m;
    }();
    return *matcher;
}

CAnswerMatcher::Token CAnswerMatcher::add(const QByteArray &ip, int command, std::function<void(const void *)> handler)
{
    auto route = std::make_shared<sRoute>();
    route->handler = std::move(handler);
    QMutexLocker lock(&m_mutex);
    const Token token = m_next++;
    m_routes[{ip, command}].insert(token, route);
    m_keys.insert(token, {ip, command});
    return token;
}

CAnswerMatcher::Token CAnswerMatcher::expectImport(const QByteArray &ip, int nodeType,
                                                   std::function<void(const sImportDataRes &)> handler)
{
    const int command = nodeType == EncoderNode ? Protocol::AnsEncoderImport : Protocol::AnsDecoderImport;
    return add(ip, command, [handler](const void *record) { handler(*static_cast<const sImportDataRes *>(record)); });
}

CAnswerMatcher::Token CAnswerMatcher::expectExport(const QByteArray &ip, int nodeType,
                                                   std::function<void(const sDeviceData &)> handler)
{
    const int command = nodeType == EncoderNode ? Protocol::AnsEncoderExport : Protocol::AnsDecoderExport;
    return add(ip, command, [handler](const void *record) { handler(*static_cast<const sDeviceData *>(record)); });
}

void CAnswerMatcher::forget(Token token)
{
    std::shared_ptr<sRoute> route;
    {
        QMutexLocker lock(&m_mutex);
        const auto key = m_keys.find(token);
        if (key == m_keys.end())
            return;
        auto routes = m_routes.find(key.value());
        route = routes->take(token);
        if (routes->isEmpty())
            m_routes.erase(routes);
        m_keys.erase(key);
    }
    // Waits for a call on another thread; the handler's own thread may forget itself.
    std::lock_guard<std::recursive_mutex> call(route->call);
    route->alive = false;
}

void CAnswerMatcher::onResult(int cmdType, void *record, int result, int nodeType)
{
    Q_UNUSED(result)
    Q_UNUSED(nodeType)
    if (!record)
        return;
    QByteArray ip;
    switch (cmdType) {
    case Protocol::AnsDecoderImport:
    case Protocol::AnsEncoderImport: ip = static_cast<const sImportDataRes *>(record)->ip; break;
    case Protocol::AnsDecoderExport:
    case Protocol::AnsEncoderExport: ip = static_cast<const sDeviceData *>(record)->ip; break;
    default: return;
    }
    QList<std::shared_ptr<sRoute>> routes;
    {
        QMutexLocker lock(&m_mutex);
        routes = m_routes.value({ip, cmdType}).values();
    }
    for (const std::shared_ptr<sRoute> &route : qAsConst(routes)) {
        std::lock_guard<std::recursive_mutex> call(route->call);
        if (route->alive)
            route->handler(record);
    }
}

bool CAnswerRoutes::ensure(int index, const std::function<bool()> &stopped,
                           const std::function<CAnswerMatcher::Token()> &expect)
{
    QMutexLocker lock(&m_mutex);
    if (stopped())
        return false;
    if (!m_tokens.contains(index))
        m_tokens.insert(index, expect());
    return true;
}

void CAnswerRoutes::forgetAll()
{
    QHash<int, CAnswerMatcher::Token> tokens;
    {
        QMutexLocker lock(&m_mutex);
        tokens.swap(m_tokens);
    }
    for (CAnswerMatcher::Token token : qAsConst(tokens))
        CAnswerMatcher::instance().forget(token);
}
