#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <cstdint>
#include <curl/curl.h>

// What an SFTP client is created with.
struct sTransInfo
{
    QString ip;
    QString localPath;            // package for uploads, destination folder for log downloads
    int32_t upgradeType = 0;      // 0 device firmware, 1 application
    std::atomic<int32_t> *transEnable = nullptr; // owner's flag, non-zero while uploads may go on
};

// Handed to the observers when a transfer ends.
struct sTransAnswer
{
    int32_t tag = 0;              // upgradeType for uploads, -1 for downloads and listings
    QByteArray ip;
    CURLcode code = CURLE_OK;
    int32_t responseCode = -1;    // -1 after a failed transfer
};
