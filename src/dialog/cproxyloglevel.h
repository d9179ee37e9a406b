#pragma once

#include "model/sdeviceinfo.h"
#include "ui/ccustomdialog.h"

class CBanWheelComboBox;
class CDeviceCtrlJob;
class QPushButton;

// Log level of the proxy (manager) node, and the export of its proxy logs.
class CProxyLogLevel final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CProxyLogLevel)

public:
    explicit CProxyLogLevel(QWidget *parent = nullptr);
    ~CProxyLogLevel() override;

    // The manager of the first decoder, else of the first encoder; defaults when neither is known.
    static sDeviceInfo findProxy();

    const sDeviceInfo &proxy() const { return m_proxy; }
    CBanWheelComboBox *levelBox() const { return m_level; }
    QPushButton *exportButton() const { return m_exportButton; }
    // A level is on its way: the dialog takes no input meanwhile.
    bool isSending() const { return m_sending; }

signals:
    void sigLevelSent();

public slots:
    void onClickExportLog();
    void onOkClicked() override;
    void onCancelClicked() override {}

private:
    CDeviceCtrlJob *m_job = nullptr;
    sDeviceInfo m_proxy;
    CBanWheelComboBox *m_level = nullptr;
    QPushButton *m_exportButton = nullptr;
    bool m_sending = false;
};
