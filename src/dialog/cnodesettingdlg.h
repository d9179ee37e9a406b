#pragma once

#include <QString>
#include <cstdint>

#include "model/sdeviceinfo.h"
#include "ui/ccustomdialog.h"

class QGridLayout;
class QLabel;
class QPushButton;
class QStackedWidget;
class CIpAddrEdit;
class CLineEdit;
class CMacAddrEdit;
class CNodeListModel;
class CUnderlineButton;

// What the decoder and encoder settings dialogs share: the page strip, the basic page,
// the four save checks, the leave confirmation and the node's log export. Every text
// goes through the subclass's trText() so each dialog translates in its own context.
class CNodeSettingDlg : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNodeSettingDlg)

public:
    // Outcome of the save checks, in the order they run.
    enum class ECheck { Ok, EmptyName, EmptyIp, IpConflict, MacConflict, DuplicateName };

    int64_t nodeId() const { return m_nodeId; }
    // The node's address when the dialog was opened: where the hub sends the settings.
    QString openingIp() const { return m_openingIp; }

    // "Vela" / "Vela-S" for codes 16 and 17, "Model_Error" for anything else.
    static QString modelName(int model);
    // True when the IP editor's text is empty or one of its four fields was left empty.
    static bool ipIncomplete(const QString &ip);
    // The four checks against the stores (addresses) and the model's listed nodes (names).
    static ECheck checkSettings(const CNodeListModel &model, int64_t nodeId, const QByteArray &name,
                                const QByteArray &ip, const QByteArray &mac);

public slots:
    void onBasic();
    void onAdvance();
    void onClickExportLog();

protected:
    CNodeSettingDlg(CNodeListModel *model, int64_t nodeId, QWidget *parent);

    // tr() of the concrete dialog.
    virtual QString trText(const char *source) const = 0;
    // The shared part of the dialog's record copy.
    virtual sDeviceInfo &record() = 0;

    // Builds the frame (title, which is also the type text), the strip and the basic page
    // from record(); the advanced page is the subclass's, through advancedLayout().
    // Call from the subclass constructor once the record copy is read.
    void buildFrame(const char *title);
    QGridLayout *advancedLayout() const { return m_advancedLayout; }
    // Label for a row of either page.
    QLabel *rowLabel(const char *text, QWidget *parent) const;
    // The "日志导出" button of the advanced page, wired to onClickExportLog().
    QPushButton *makeLogExportButton(QWidget *parent);

    // Runs the checks and shows the first failure; true when saving may go on.
    bool validateBasic();
    // Name, addresses and MAC from the editors into record().
    void takeBasic();
    // Name, addresses or MAC differ from record().
    bool basicChanged();
    // Asks before throwing changes away; true when the operator confirmed.
    bool confirmDiscard();
    void showMessage(const QString &text);

    CNodeListModel *model() const { return m_model; }

private:
    void onMacEditToggled();
    // Fetches the node's logs into folder through the log export dialog.
    void runLogExport(const QString &folder);

    CNodeListModel *m_model = nullptr;
    int64_t m_nodeId = 0;
    QString m_openingIp;
    bool m_macUnlocked = false;

    CUnderlineButton *m_basicButton = nullptr;
    CUnderlineButton *m_advanceButton = nullptr;
    QStackedWidget *m_pages = nullptr;
    QGridLayout *m_advancedLayout = nullptr;

    CLineEdit *m_nameEdit = nullptr;
    CIpAddrEdit *m_ipEdit = nullptr;
    CIpAddrEdit *m_maskEdit = nullptr;
    CIpAddrEdit *m_gatewayEdit = nullptr;
    CMacAddrEdit *m_macEdit = nullptr;
    QPushButton *m_macEditButton = nullptr;
};
