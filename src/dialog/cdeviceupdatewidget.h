#pragma once

#include "dialog/cupgradewidget.h"

// Firmware upgrade of the selected nodes: one row per node with an address.
class CDeviceUpdateWidget final : public CUpgradeWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDeviceUpdateWidget)

public:
    explicit CDeviceUpdateWidget(QWidget *parent = nullptr);

protected:
    QString cancelText() const override { return tr("取消"); }
    QString doneText() const override { return tr("确定"); }
    QString cancelQuestion() const override { return tr("确定要取消升级吗？"); }
};
