#pragma once

#include <QMutex>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "transfer/stransinfo.h"

class csftpclient;

// The SFTP clients of one upgrade dialog or log worker, found again by node IP.
// Clients are added and used in the worker thread and finished from the worker
// or the GUI thread, so the list is locked; clients live as long as the manager.
class CUpdateManagerCtrl final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CUpdateManagerCtrl)

public:
    explicit CUpdateManagerCtrl(QObject *parent = nullptr);
    ~CUpdateManagerCtrl() override; // waits for running transfers

    // False (and nothing kept) when the info has no IP.
    bool addClient(const sTransInfo &info);
    // The first client kept for the IP, or null.
    csftpclient *findClient(const QString &ip) const;
    // Waits for the client's transfer thread, then drops the node's TCP link.
    void finishClient(const QString &ip);

    // Size of the file, 0 when it cannot be opened.
    static uint32_t packageSize(const QString &path);

private:
    mutable QMutex m_mutex;
    std::vector<std::unique_ptr<csftpclient>> m_clients;
};
