#include "dialog/cdeviceupdatewidget.h"

#include "operations/cdeviceworker.h"

CDeviceUpdateWidget::CDeviceUpdateWidget(QWidget *parent)
    : CUpgradeWidget(sBehaviour{false, true}, parent)
{
    setTitle(tr("设备升级"));
    setOkText(tr("取消"));
    auto *worker = new CDeviceWorker(manager(), observer());
    connect(this, &CUpgradeWidget::startUpdateProgress, worker, &CDeviceWorker::startDeviceUpdate);
    attachWorker(worker);
}
