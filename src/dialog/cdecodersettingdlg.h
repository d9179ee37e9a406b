#pragma once

#include "dialog/cnodesettingdlg.h"
#include "model/sdeviceinfo.h"

class CBanWheelComboBox;
class CResolutionEdit;

// Settings of one decoder node, edited on a copy of its record. Save writes the copy
// back into the model; the hub then sends it to the opening IP.
class CDecoderSettingDlg final : public CNodeSettingDlg
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDecoderSettingDlg)

public:
    CDecoderSettingDlg(CNodeListModel *model, int64_t nodeId, QWidget *parent = nullptr);

    const sDecoderInfo &decoderRecord() const { return m_record; }

    // Output resolutions offered, widest first.
    static const QStringList &resolutionList();

public slots:
    void onOkClicked() override;
    void onCancelClicked() override;

protected:
    QString trText(const char *source) const override { return tr(source); }
    sDeviceInfo &record() override { return m_record; }

private:
    void buildAdvancedPage();
    void onResolutionIndexChanged(int index);
    void onModeChanged(int index);

    sDecoderInfo m_record;
    CBanWheelComboBox *m_audioCombo = nullptr;
    CBanWheelComboBox *m_modeCombo = nullptr;
    CBanWheelComboBox *m_resolutionCombo = nullptr;
    CResolutionEdit *m_resolutionEdit = nullptr;
    CBanWheelComboBox *m_logLevelCombo = nullptr;
};
