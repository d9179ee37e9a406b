#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "dialog/menutype.h"

class QLabel;
class QMenu;
class QPushButton;
class GradientTextLabel;

// Replaces the system title bar: logo, title and window buttons on top, the command
// row below. A command button only emits its menuType; the hub does the rest.
class CMainTitleBar final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMainTitleBar)

public:
    static constexpr int RowHeight = 48;

    explicit CMainTitleBar(QWidget *mainWindow);

    // Fixed widths of the buttons that follow their text: text + 30 ("CN") or + 20 ("EN").
    void setButtonWidths(const QString &lang);
    // Title and command labels through the translator.
    void retranslateUi();

    // All fourteen command buttons in row order, hidden ones included.
    const QList<QPushButton *> &commandButtons() const { return m_commandButtons; }
    const QList<QPushButton *> &widthButtons() const { return m_widthButtons; }
    const QStringList &chineseLabels() const { return m_cnLabels; }
    const QStringList &englishLabels() const { return m_enLabels; }
    QWidget *topRow() const { return m_topRow; }
    QWidget *commandRow() const { return m_commandRow; }
    QPushButton *maxButton() const { return m_maxButton; }
    QPushButton *moreButton() const { return m_moreButton; }
    GradientTextLabel *titleLabel() const { return m_title; }

signals:
    void sigSwitch2SettingWidget(menuType type);
    void LanguageChange(QString toLang);
    void sigLanguageChange(QString Lang);
    void sigWindowSizeChange(bool isMax);
    // More menu: the node list to a CSV file (the listed rows or all), the refresh
    // interval (0 off), the history of commands sent.
    void sigExportList(bool visibleOnly);
    void sigAutoRefresh(int seconds);
    void sigShowHistory();
    // The nodes of the current scan to an inventory file; the current scan against one.
    void sigSaveInventory();
    void sigCompareInventory();
    // The more menu's "网卡" submenu, empty, for its owner to fill before it shows.
    void sigCardMenu(QMenu *menu);

public slots:
    void onPushButtonNormalMax();
    void onPushButtonClose();
    void onPushButtonMin();
    void onMoreButton();
    // "CN" or "EN" from the more menu: widths, then the table, then the translator.
    void onLanguageSelected(const QString &code);
    // The hub's command of that button has started or ended: its button stays checked
    // in between.
    void showCommandRunning(menuType type, bool running);

    void onScanNode() { emit sigSwitch2SettingWidget(MenuScanNode); }
    void onTypeSwitch() { emit sigSwitch2SettingWidget(MenuTypeSwitch); }
    void onNetConfig() { emit sigSwitch2SettingWidget(MenuNetConfig); }
    void onAddNode() { emit sigSwitch2SettingWidget(MenuAddNode); }
    void onDeviceUpdate() { emit sigSwitch2SettingWidget(MenuDeviceUpdate); }
    void onAppUpdate() { emit sigSwitch2SettingWidget(MenuAppUpdate); }
    void onDeviceRestart() { emit sigSwitch2SettingWidget(MenuDeviceRestart); }
    void onResumeFactorySet() { emit sigSwitch2SettingWidget(MenuResumeFactorySet); }
    void onDataImport() { emit sigSwitch2SettingWidget(MenuDataImport); }
    void onDataExport() { emit sigSwitch2SettingWidget(MenuDataExport); }
    void onOneKeyReplace() { emit sigSwitch2SettingWidget(MenuOneKeyReplace); }
    void onSetDeviceTime() { emit sigSwitch2SettingWidget(MenuSetDeviceTime); }
    void onModelSwitch() { emit sigSwitch2SettingWidget(MenuModelSwitch); }
    void onProxyLogLevelBtn() { emit sigSwitch2SettingWidget(MenuProxyLogLevel); }
    void onAbout() { emit sigSwitch2SettingWidget(MenuAbout); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void enterEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QPushButton *makeWindowButton(const char *name);
    void setMaxButtonImage(bool maximised);

    QWidget *m_mainWindow = nullptr;
    QWidget *m_topRow = nullptr;
    QWidget *m_commandRow = nullptr;
    QLabel *m_logo = nullptr;
    GradientTextLabel *m_title = nullptr;
    QPushButton *m_moreButton = nullptr;
    QPushButton *m_minButton = nullptr;
    QPushButton *m_maxButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    QList<QPushButton *> m_commandButtons;
    int m_runningCommand = -1; // the button whose command runs
    QList<QPushButton *> m_widthButtons;
    QStringList m_cnLabels;
    QStringList m_enLabels;
    QList<const char *> m_sourceLabels;
};
