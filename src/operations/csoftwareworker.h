#pragma once

#include <QRunnable>

#include "operations/cupgradeworker.h"

// Application upgrade: packages go to "/app/", commands carry upgrade type 1.
// Lives in the dialog's worker thread; run() is never used.
class CSoftwareWorker final : public CUpgradeWorker, public QRunnable
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CSoftwareWorker)

public:
    CSoftwareWorker(CUpdateManagerCtrl *manager, CDeviceCtrlObserver *observer, QObject *parent = nullptr)
        : CUpgradeWorker(manager, observer, 1, parent)
    {
        setAutoDelete(false);
    }

    void run() override {}

public slots:
    void startSoftwareUpdate(QStringList ipList, QString fileName) { startUploads(ipList, fileName); }
};
