#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <curl/curl.h>

// The stop flag of an owner's transfers: non-zero while they may go on. Shared, so a
// transfer thread that outlives its owner still reads a live flag.
using TransFlag = std::shared_ptr<std::atomic<int32_t>>;
inline TransFlag makeTransFlag() { return std::make_shared<std::atomic<int32_t>>(1); }

// What an SFTP client is created with.
struct sTransInfo
{
    QString ip;
    QString localPath;            // package for uploads, destination folder for log downloads
    int32_t upgradeType = 0;      // 0 device firmware, 1 application
    TransFlag transEnable;         // owner's flag, non-zero while uploads may go on
};

// Handed to the observers when a transfer ends.
struct sTransAnswer
{
    int32_t tag = 0;              // upgradeType for uploads, -1 for downloads and listings
    QByteArray ip;
    CURLcode code = CURLE_OK;
    int32_t responseCode = -1;    // -1 after a failed transfer
};
