#pragma once

#include <QByteArray>
#include <QHash>
#include <QPair>
#include <QMutex>
#include <functional>
#include <memory>
#include <mutex>

#include "comm/iobserver.h"
#include "comm/sdevicedata.h"

// Hands each node answer to whoever waits for it, keyed by (node address, answer
// command), so no operation polls or keeps its own observer. The handler runs on the
// link thread that parsed the answer and the record lives for that call only. Registered
// in CObserverList on first use and never removed.
class CAnswerMatcher final : public IObserver
{
    Q_DISABLE_COPY_MOVE(CAnswerMatcher)

public:
    using Token = quint64;

    static CAnswerMatcher &instance();

    // The node's import answer (13532 for a decoder, 14016 for an encoder).
    Token expectImport(const QByteArray &ip, int nodeType, std::function<void(const sImportDataRes &)> handler);
    // The node's export answer (13533 for a decoder, 14017 for an encoder).
    Token expectExport(const QByteArray &ip, int nodeType, std::function<void(const sDeviceData &)> handler);
    // No more calls after it returns; a call running on another thread is waited for.
    void forget(Token token);

    void onResult(int cmdType, void *record, int result, int nodeType) override;
    void onTransEnd(const sTransAnswer *) override {}
    void onTransProgress(const QString &, uint32_t) override {}

private:
    using Key = QPair<QByteArray, int>;
    struct sRoute
    {
        std::recursive_mutex call; // held while the handler runs
        bool alive = true;
        std::function<void(const void *)> handler;
    };

    CAnswerMatcher() = default;
    Token add(const QByteArray &ip, int command, std::function<void(const void *)> handler);

    QMutex m_mutex;
    QHash<Key, QHash<Token, std::shared_ptr<sRoute>>> m_routes;
    QHash<Token, Key> m_keys;
    Token m_next = 1;
};

// The routes of one operation's nodes, one per node for the operation's life (an answer
// after a node's deadline still counts), forgotten with it.
class CAnswerRoutes final
{
    Q_DISABLE_COPY_MOVE(CAnswerRoutes)

public:
    CAnswerRoutes() = default;
    ~CAnswerRoutes() { forgetAll(); }
    // Gives node index its route through expect() unless it has one. Under the lock, so a
    // stop either happens first (stopped() true: no route, false back) or sees the route.
    bool ensure(int index, const std::function<bool()> &stopped, const std::function<CAnswerMatcher::Token()> &expect);
    void forgetAll();

private:
    QMutex m_mutex;
    QHash<int, CAnswerMatcher::Token> m_tokens;
};
