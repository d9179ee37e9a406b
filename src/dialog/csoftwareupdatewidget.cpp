#include "dialog/csoftwareupdatewidget.h"

#include "operations/csoftwareworker.h"

CSoftwareUpdateWidget::CSoftwareUpdateWidget(QWidget *parent)
    : CUpgradeWidget(sBehaviour{true, false}, parent)
{
    setTitle(tr("app升级"));
    setOkText(tr("取消"));
    auto *worker = new CSoftwareWorker(manager(), observer());
    connect(this, &CUpgradeWidget::startUpdateProgress, worker, &CSoftwareWorker::startSoftwareUpdate);
    attachWorker(worker);
}
