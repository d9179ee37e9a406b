#pragma once

#include "dialog/cupgradewidget.h"

// Application upgrade of the selected nodes. Unlike the firmware upgrade, an
// entry without an address gets a row (that never changes), the button keeps
// reading cancel, and closing does not interrupt the worker.
class CSoftwareUpdateWidget final : public CUpgradeWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CSoftwareUpdateWidget)

public:
    explicit CSoftwareUpdateWidget(QWidget *parent = nullptr);

protected:
    QString cancelText() const override { return tr("取消"); }
    QString doneText() const override { return tr("取消"); } // the button keeps reading cancel
    QString cancelQuestion() const override { return tr("确定要取消升级吗？"); }
};
