#pragma once

#include <QString>
#include <cstdint>

#include "model/sdeviceinfo.h"
#include "ui/ccustomdialog.h"

class QComboBox;
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
    enum class ECheck {
        Ok,
        EmptyName,
        EmptyIp,
        InvalidIp,
        InvalidMask,
        InvalidGateway,
        InvalidMac,
        IpConflict,
        MacConflict,
        DuplicateName
    };

    // The basic fields Save would send, and which of them the operator edited. An edited
    // address must be complete; one left alone goes back as the node sent it.
    struct sBasicFields
    {
        QByteArray name;
        QByteArray ip;
        QByteArray mask;
        QByteArray getway;
        QByteArray macAddr;
        bool ipEdited = false;
        bool maskEdited = false;
        bool gatewayEdited = false;
        bool macEdited = false;
    };

    int64_t nodeId() const { return m_nodeId; }
    // The node's address when the dialog was opened: where the hub sends the settings.
    QString openingIp() const { return m_openingIp; }

    // "Vela" / "Vela-S" for codes 16 and 17, "Model_Error" for anything else.
    static QString modelName(int model);
    // True when the IP editor's text is empty or one of its four fields was left empty.
    static bool ipIncomplete(const QString &ip);
    // The field checks, then the checks against the stores (addresses) and the model's
    // listed nodes (names).
    static ECheck checkSettings(const CNodeListModel &model, int64_t nodeId, const sBasicFields &fields);

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
    // Fills combo with texts standing for the values first, first + 1, ... A node value
    // outside them gets an entry of its own (its number), so an untouched save sends it
    // back as it was. The value is each entry's data.
    static void fillValueList(QComboBox *combo, const QStringList &texts, int first, int current);
    // The same for text values: a node text not in texts gets an entry of its own.
    static void fillTextList(QComboBox *combo, const QStringList &texts, const QString &current);

    // Label for a row of either page.
    QLabel *rowLabel(const char *text, QWidget *parent) const;
    // The "日志导出" button of the advanced page, wired to onClickExportLog().
    QPushButton *makeLogExportButton(QWidget *parent);

    // Runs the checks and shows the first failure; true when saving may go on.
    bool validateBasic();
    // Name, addresses and MAC as Save would send them into record().
    void takeBasic();
    // Name, addresses or MAC were edited.
    bool basicChanged() const;
    // Asks before throwing changes away; true when the operator confirmed.
    bool confirmDiscard();
    void showMessage(const QString &text);

    CNodeListModel *model() const { return m_model; }

private:
    sBasicFields basicFields();
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

    // What each editor showed when the dialog opened: unchanged means untouched.
    QString m_shownName;
    QString m_shownIp;
    QString m_shownMask;
    QString m_shownGateway;
    QString m_shownMac;
};
