#pragma once

#include "dialog/cnodesettingdlg.h"
#include "model/sdeviceinfo.h"

class CBanWheelComboBox;
class CLineEdit;

// Settings of one encoder node, edited on a copy of its record, like the decoder's.
class CEncoderSettingDlg final : public CNodeSettingDlg
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CEncoderSettingDlg)

public:
    CEncoderSettingDlg(CNodeListModel *model, int64_t nodeId, QWidget *parent = nullptr);

    const sEncoderInfo &encoderRecord() const { return m_record; }
    // The node's encode resolution was not in the list and has been added to it.
    bool resolutionListExtended() const { return m_resolutionListExtended; }

    // Encode resolutions offered, widest first.
    static const QStringList &resolutionList();
    // The list with text added before the first entry no wider than it (appended when none is).
    static QStringList extendedResolutionList(const QString &text);
    // Level names for a codec; empty for a codec that is neither H264 nor H265.
    static QStringList levelList(const QString &codec);

public slots:
    void onOkClicked() override;
    void onCancelClicked() override;

protected:
    QString trText(const char *source) const override { return tr(source); }
    sDeviceInfo &record() override { return m_record; }

private:
    void buildAdvancedPage();
    void onVideoCodecChanged(const QString &codec);
    void onGainChanged(const QString &text);
    void resolutionFromCombo(int &width, int &height) const;

    sEncoderInfo m_record;
    bool m_resolutionListExtended = false;
    CBanWheelComboBox *m_resolutionCombo = nullptr;
    CBanWheelComboBox *m_frameRateCombo = nullptr;
    CBanWheelComboBox *m_videoCombo = nullptr;
    CBanWheelComboBox *m_levelCombo = nullptr;
    CBanWheelComboBox *m_bitRateCombo = nullptr;
    CBanWheelComboBox *m_audioCombo = nullptr;
    CLineEdit *m_gainEdit = nullptr;
    CBanWheelComboBox *m_usbCombo = nullptr;
    CBanWheelComboBox *m_logLevelCombo = nullptr;
};
