#pragma once

#include "operations/cupgradeworker.h"

// Firmware upgrade: packages go to "/userdata/", commands carry upgrade type 0.
class CDeviceWorker final : public CUpgradeWorker
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDeviceWorker)

public:
    CDeviceWorker(CUpdateManagerCtrl *manager, CDeviceCtrlObserver *observer, QObject *parent = nullptr)
        : CUpgradeWorker(manager, observer, 0, parent)
    {
    }

public slots:
    void startDeviceUpdate(QStringList ipList, QString fileName) { startUploads(ipList, fileName); }
};
