// The English translation, checked entry by entry against the product's texts.
// The expected pairs are written out here on purpose: they must not come from
// the .ts files under test.
#include <QCoreApplication>
#include <QTranslator>
#include <QtTest>

namespace
{
struct Entry
{
    const char *context;
    const char *source;
    const char *english;
};

const Entry kEntries[] = {
    // CAboutDialog
    {"CAboutDialog", "关于", "About"},
    {"CAboutDialog", "分布式配置软件", "Quorvane"},
    // CAddNodeDlg
    {"CAddNodeDlg", "添加节点", "Add node"},
    {"CAddNodeDlg", "确定", "OK"},
    {"CAddNodeDlg", "取消", "Cancel"},
    {"CAddNodeDlg", "IP地址", "IP address"},
    // CCustomDialog
    {"CCustomDialog", "确认", "OK"},
    {"CCustomDialog", "取消", "Cancel"},
    // CDataExportWidget
    {"CDataExportWidget", "数据导出", "Export data"},
    {"CDataExportWidget", "确定", "OK"},
    // CDataImportWidget
    {"CDataImportWidget", "数据导入", "Import data"},
    {"CDataImportWidget", "确定", "OK"},
    // CDecoderSettingDlg
    {"CDecoderSettingDlg", "解码节点", "Decoder"},
    {"CDecoderSettingDlg", "保存", "Save"},
    {"CDecoderSettingDlg", "基础设置", "Basic settings"},
    {"CDecoderSettingDlg", "高级设置", "Advanced settings"},
    {"CDecoderSettingDlg", "设备类型", "Device type"},
    {"CDecoderSettingDlg", "设备型号", "Device model"},
    {"CDecoderSettingDlg", "节点名称", "Node name"},
    {"CDecoderSettingDlg", "名称不能为空，请重新输入", "Name cannot be empty. Please enter a valid name."},
    {"CDecoderSettingDlg", "IP地址不能为空，请重新输入", "IP adress cannot be empty."},
    {"CDecoderSettingDlg", "子网掩码无效，请重新输入", "Invalid subnet mask. Please enter all four fields."},
    {"CDecoderSettingDlg", "MAC地址无效，请重新输入", "Invalid MAC address. Please enter all six fields."},
    {"CDecoderSettingDlg", "IP地址与其他节点冲突，请重新输入", "IP address conflicts with another node. Please try a different address."},
    {"CDecoderSettingDlg", "MAC地址与其他节点冲突，请重新输入", "MAC address conflicts with another node. Please try a different address."},
    {"CDecoderSettingDlg", "名称已重复，请重新输入", "Name already exists. Please enter a different name."},
    {"CDecoderSettingDlg", "IP地址", "IP address"},
    {"CDecoderSettingDlg", "子网掩码", "Subnet mask"},
    {"CDecoderSettingDlg", "网关", "Gateway"},
    {"CDecoderSettingDlg", "音频输出模式", "Audio output mode"},
    {"CDecoderSettingDlg", "设备模式", "Device mode"},
    {"CDecoderSettingDlg", "输出分辨率", "Output resolution"},
    {"CDecoderSettingDlg", "日志导出", "Export logs"},
    {"CDecoderSettingDlg", "日志等级", "Log level"},
    {"CDecoderSettingDlg", "修改未保存，请确定是否退出？", "Your changes have not been saved. Are you sure you want to exit?"},
    {"CDecoderSettingDlg", "文件名:", "File name:"},
    {"CDecoderSettingDlg", "取消", "Cancel"},
    {"CDecoderSettingDlg", "选择文件夹", "Select folder"},
    // CDeviceManage
    {"CDeviceManage", "设备升级", "Device upgrade"},
    {"CDeviceManage", "app升级", "App upgrade"},
    {"CDeviceManage", "设备重启", "Device restart"},
    {"CDeviceManage", "是否重启设备？", "Are you sure you want to restart the selected device(s)?"},
    {"CDeviceManage", "请选择需要切换的设备", "Please select the device for type switching."},
    {"CDeviceManage", "请选择需要配置网络的设备", "Please select the device for network configuration."},
    {"CDeviceManage", "请选择需要升级的设备", "Please select the device you want to upgrade."},
    {"CDeviceManage", "请选择需要重启的设备", "Please select the device(s) to restart."},
    {"CDeviceManage", "重启成功", "Restart successful."},
    {"CDeviceManage", "重启失败", "Restart failed."},
    {"CDeviceManage", "请选择需要恢复出厂设置的设备", "Please select the device(s) for factory reset."},
    {"CDeviceManage", "恢复出厂设置", "Factory reset"},
    {"CDeviceManage", "是否恢复出厂设置？", "Are you sure you want to reset the selected device(s) to factory settings?"},
    {"CDeviceManage", "文件名:", "File name:"},
    {"CDeviceManage", "取消", "Cancel"},
    {"CDeviceManage", "打开", "Open"},
    {"CDeviceManage", "请选择需要导出数据的设备", "Please select the device to export data."},
    {"CDeviceManage", "切换成功", "Switched successfully."},
    {"CDeviceManage", "选择文件夹", "Select folder"},
    {"CDeviceManage", "同步系统时间", "Synchronize system time"},
    {"CDeviceManage", "是否同步当前系统时间到所有设备？", "Do you want to synchronize the current system time to all devices?"},
    // CDeviceRestartDlg
    {"CDeviceRestartDlg", "确定", "OK"},
    {"CDeviceRestartDlg", "取消", "Cancel"},
    {"CDeviceRestartDlg", "是否重启设备？", "Are you sure you want to restart this device?"},
    {"CDeviceRestartDlg", "返回", "Back"},
    // CDeviceUpdateWidget
    {"CDeviceUpdateWidget", "设备升级", "Device upgrade"},
    {"CDeviceUpdateWidget", "取消", "Cancel"},
    {"CDeviceUpdateWidget", "确定", "OK"},
    {"CDeviceUpdateWidget", "确定要取消升级吗？", "Are you sure you want to cancel the upgrade?"},
    // CEncoderSettingDlg
    {"CEncoderSettingDlg", "编码节点", "Encoder"},
    {"CEncoderSettingDlg", "保存", "Save"},
    {"CEncoderSettingDlg", "基础设置", "Basic settings"},
    {"CEncoderSettingDlg", "高级设置", "Advanced settings"},
    {"CEncoderSettingDlg", "设备类型", "Device type"},
    {"CEncoderSettingDlg", "设备型号", "Device model"},
    {"CEncoderSettingDlg", "节点名称", "Node name"},
    {"CEncoderSettingDlg", "IP地址", "IP address"},
    {"CEncoderSettingDlg", "子网掩码", "Subnet mask"},
    {"CEncoderSettingDlg", "网关", "Gateway"},
    {"CEncoderSettingDlg", "信号源分辨率", "Signal resolution"},
    {"CEncoderSettingDlg", "编码分辨率", "Encode resolution"},
    {"CEncoderSettingDlg", "编码帧率", "Encode frame rate"},
    {"CEncoderSettingDlg", "视频编码", "Video encoding"},
    {"CEncoderSettingDlg", "码率", "Bitrate"},
    {"CEncoderSettingDlg", "编码级别", "Encoding profile"},
    {"CEncoderSettingDlg", "音频编码", "Audio encoding"},
    {"CEncoderSettingDlg", "音频增益", "Audio gain"},
    {"CEncoderSettingDlg", "启用", "Enable"},
    {"CEncoderSettingDlg", "禁用", "Disable"},
    {"CEncoderSettingDlg", "日志等级", "Log level"},
    {"CEncoderSettingDlg", "日志导出", "Export logs"},
    {"CEncoderSettingDlg", "音频输入", "Audio input"},
    {"CEncoderSettingDlg", "名称不能为空，请重新输入", "Name cannot be empty. Please enter a valid name."},
    {"CEncoderSettingDlg", "IP地址不能为空，请重新输入", "IP adress cannot be empty."},
    {"CEncoderSettingDlg", "IP地址与其他节点冲突，请重新输入", "IP address conflicts with another node. Please try a different address."},
    {"CEncoderSettingDlg", "MAC地址与其他节点冲突，请重新输入", "MAC address conflicts with another node. Please try a different address."},
    {"CEncoderSettingDlg", "名称已重复，请重新输入", "Name already exists. Please enter a different name."},
    {"CEncoderSettingDlg", "文件名:", "File name:"},
    {"CEncoderSettingDlg", "取消", "Cancel"},
    {"CEncoderSettingDlg", "选择文件夹", "Select folder"},
    {"CEncoderSettingDlg", "修改未保存，请确定是否退出？", "Your changes have not been saved. Are you sure you want to exit?"},
    // CLogExportWidget
    {"CLogExportWidget", "日志导出", "Export logs"},
    {"CLogExportWidget", "确定", "OK"},
    // CMainTitleBar
    {"CMainTitleBar", "分布式配置软件", "Quorvane"},
    {"CMainTitleBar", "扫描节点", "Scan node"},
    {"CMainTitleBar", "网络配置", "Network config"},
    {"CMainTitleBar", "添加节点", "Add node"},
    {"CMainTitleBar", "设备升级", "Device upgrade"},
    {"CMainTitleBar", "app升级", "App upgrade"},
    {"CMainTitleBar", "设备重启", "Device restart"},
    {"CMainTitleBar", "恢复出厂设置", "Factory reset"},
    {"CMainTitleBar", "数据导入", "Import data"},
    {"CMainTitleBar", "数据导出", "Export data"},
    {"CMainTitleBar", "一键替换", "Replace node"},
    {"CMainTitleBar", "解码节点模式切换", "Switch mode"},
    {"CMainTitleBar", "代理节点日志等级", "Proxy log level"},
    {"CMainTitleBar", "语言", "Language"},
    {"CMainTitleBar", "关于", "About"},
    {"CMainTitleBar", "中文(Chinese)", "Chinese"},
    {"CMainTitleBar", "英语(English)", "English"},
    {"CMainTitleBar", "类型切换", "Switch type"},
    {"CMainTitleBar", "同步系统时间", "Sync system time"},
    // CMessageDialog
    {"CMessageDialog", "确定", "OK"},
    {"CMessageDialog", "总共切换节点", "Total switched"},
    {"CMessageDialog", "切换成功", "Succeeded"},
    {"CMessageDialog", "切换失败", "Failed"},
    {"CMessageDialog", "确认", "OK"},
    // CModelSwitch
    {"CModelSwitch", "确定", "OK"},
    {"CModelSwitch", "解码节点模式切换", "Decoder mode switching"},
    {"CModelSwitch", "取消", "Cancel"},
    {"CModelSwitch", "序号", "No."},
    {"CModelSwitch", "节点名称", "Node name"},
    {"CModelSwitch", "切换模式选择", "Modes for switching"},
    {"CModelSwitch", "请选择需要切换的设备", "Please select the device for mode switching."},
    // CNetConfigDlg
    {"CNetConfigDlg", "网络配置", "Network config"},
    {"CNetConfigDlg", "确定", "OK"},
    {"CNetConfigDlg", "取消", "Cancel"},
    {"CNetConfigDlg", "自动配置", "Auto config"},
    {"CNetConfigDlg", "起始IP", "Start IP"},
    {"CNetConfigDlg", "子网掩码", "Subnet mask"},
    {"CNetConfigDlg", "网关", "Gateway"},
    {"CNetConfigDlg", "路径", "Path"},
    {"CNetConfigDlg", "导入", "Import"},
    {"CNetConfigDlg", "导出", "Export"},
    {"CNetConfigDlg", "将要配置的节点IP和已有未选中节点IP冲突，请重新配置IP", "The IP address of the node you are configuring conflicts with an exsiting IP address of an unselected node. Please configure a different IP address."},
    {"CNetConfigDlg", "起始IP之后的地址不够分配给所有选中的节点，请重新配置IP", "There are not enough addresses after the start IP (up to .254) for all selected nodes. Please configure a different IP address."},
    // CNodeHeaderView
    {"CNodeHeaderView", "序号", "No."},
    {"CNodeHeaderView", "节点名称", "Node name"},
    {"CNodeHeaderView", "信号源名称", "Signal name"},
    {"CNodeHeaderView", "固件1版本", "Firmware 1 version"},
    {"CNodeHeaderView", "固件2版本", "Firmware 2 version"},
    {"CNodeHeaderView", "IP地址", "IP address"},
    // CNodeTableDelegate
    {"CNodeTableDelegate", "无", "None"},
    // CProgressListItem
    {"CProgressListItem", "重试", "Retry"},
    {"CProgressListItem", "正在导入", "Importing..."},
    {"CProgressListItem", "正在导出", "Exporting..."},
    {"CProgressListItem", "正在升级", "Upgrading..."},
    {"CProgressListItem", "导入成功", "Imported successfully"},
    {"CProgressListItem", "类型不匹配", "Type mismatch"},
    {"CProgressListItem", "导入失败", "Import failed"},
    {"CProgressListItem", "设备不在线", "This device is offline."},
    {"CProgressListItem", "导出成功", "Exported successfully"},
    {"CProgressListItem", "导出失败", "Export failed"},
    {"CProgressListItem", "升级成功", "Upgraded successfully"},
    {"CProgressListItem", "杀掉App进程失败", "Failed to kill the App process"},
    {"CProgressListItem", "移除App进程失败", "Removal process failed"},
    {"CProgressListItem", "写入App进程失败", "Writing process failed"},
    {"CProgressListItem", "MD5匹配失败", "MD5 matching failed"},
    {"CProgressListItem", "设备型号不匹配", "Device model mismatch"},
    {"CProgressListItem", "当前版本过低", "The current version is too low."},
    {"CProgressListItem", "帧编号不匹配", "Frame number mismatch"},
    {"CProgressListItem", "升级文件错误", "Upgrade file error"},
    {"CProgressListItem", "其它错误", "Other errors"},
    {"CProgressListItem", "升级失败", "Upgrade failed"},
    // CProxyLogLevel
    {"CProxyLogLevel", "代理节点日志等级设置", "Proxy log level settings"},
    {"CProxyLogLevel", "确定", "OK"},
    {"CProxyLogLevel", "日志等级", "Log level"},
    {"CProxyLogLevel", "日志导出", "Export logs"},
    {"CProxyLogLevel", "确认", "OK"},
    {"CProxyLogLevel", "文件名:", "File name:"},
    {"CProxyLogLevel", "取消", "Cancel"},
    {"CProxyLogLevel", "选择文件夹", "Select folder"},
    // CSoftwareUpdateWidget
    {"CSoftwareUpdateWidget", "app升级", "App upgrade"},
    {"CSoftwareUpdateWidget", "取消", "Cancel"},
    {"CSoftwareUpdateWidget", "确定要取消升级吗？", "Are you sure you want to cancel the upgrade?"},
    // CTypeSwitchWidget
    {"CTypeSwitchWidget", "待切换列表", "Switch list"},
    {"CTypeSwitchWidget", "切换类型", "Switch type"},
    {"CTypeSwitchWidget", "节点名称", "Node name"},
    {"CTypeSwitchWidget", "当前类型", "Current type"},
    {"CTypeSwitchWidget", "切换成功的节点:", "Succeeded:"},
    {"CTypeSwitchWidget", "待切换列表不能为空", "Switch list cannot be empty."},
    {"CTypeSwitchWidget", "确定", "OK"},
    {"CTypeSwitchWidget", "取消", "Cancel"},
    // CUpdateDlg
    {"CUpdateDlg", "确定", "OK"},
    {"CUpdateDlg", "取消", "Cancel"},
    {"CUpdateDlg", "路径", "Path"},
    {"CUpdateDlg", "浏览", "Browse"},
    {"CUpdateDlg", "请选择有效的升级路径", "Please select a valid upgrade path."},
    {"CUpdateDlg", "文件名:", "File name:"},
    {"CUpdateDlg", "打开", "Open"},
    // ListItemDelegate
    {"ListItemDelegate", "待切换列表", "Switch list"},
    {"ListItemDelegate", "是否将此节点移出待切换列表？", "Are you sure you want to remove this node from the switch list?"},
    // NodeNames: the type and mode names every widget shows, by value
    {"NodeNames", "所有类型", "All types"},
    {"NodeNames", "解码节点", "Decoder"},
    {"NodeNames", "编码节点", "Encoder"},
    {"NodeNames", "所有模式", "All modes"},
    {"NodeNames", "大屏", "Screen"},
    {"NodeNames", "坐席", "KVM"},
    {"NodeNames", "矩阵", "Matrix"},
    {"NodeNames", "所有版本", "All versions"},
    // MainWindow
    {"MainWindow", "Quorvane", "Quorvane"},
    // The maker's company name, from the about dialog's owner data.
    {"CAboutDialog", "欧凡塔视讯科技有限公司", "Orvanta Visual Systems Co., Ltd."},
};

QString qmPath(const char *name)
{
    return QStringLiteral(QV_BUILD_DIR "/translate/") + QLatin1String(name) + QStringLiteral(".qm");
}
} // namespace

class TestTranslations final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void english_data();
    void english();
    void chineseMapsToItself_data();
    void chineseMapsToItself();
    void textWithoutEntryStaysAsWritten_data();
    void textWithoutEntryStaysAsWritten();
    void englishTranslatorOverChineseAndBack();

private:
    QTranslator m_english;
    QTranslator m_chinese;
};

void TestTranslations::initTestCase()
{
    QVERIFY2(m_english.load(qmPath("english_en")), qPrintable(qmPath("english_en")));
    QVERIFY2(m_chinese.load(qmPath("chinese_cn")), qPrintable(qmPath("chinese_cn")));
    QVERIFY(!m_english.isEmpty());
    QVERIFY(!m_chinese.isEmpty());
}

static void addEntryRows()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("english");
    for (const Entry &e : kEntries)
        QTest::addRow("%s %s", e.context, e.source)
            << QString::fromLatin1(e.context) << QString::fromUtf8(e.source) << QString::fromUtf8(e.english);
}

void TestTranslations::english_data()
{
    addEntryRows();
}

void TestTranslations::english()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, english);
    QCOMPARE(m_english.translate(context.toLatin1().constData(), source.toUtf8().constData()), english);
}

void TestTranslations::chineseMapsToItself_data()
{
    addEntryRows();
}

void TestTranslations::chineseMapsToItself()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    // An empty answer would mean "no entry": the Chinese file must carry every text.
    QCOMPARE(m_chinese.translate(context.toLatin1().constData(), source.toUtf8().constData()), source);
}

void TestTranslations::textWithoutEntryStaysAsWritten_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::newRow("switch result title") << "CMessageDialog" << QStringLiteral("切换结果");
    // Texts are translated per context: an entry of one class does not leak into another.
    QTest::newRow("restart question outside its classes") << "CMainTitleBar" << QStringLiteral("是否重启设备？");
    QTest::newRow("product title outside its classes") << "CDeviceManage" << QStringLiteral("分布式配置软件");
    QTest::newRow("filter text built from its own lists") << "CMainShowWidget" << QStringLiteral("所有类型");
    QTest::newRow("unknown class") << "CNoSuchWidget" << QStringLiteral("确定");
}

void TestTranslations::textWithoutEntryStaysAsWritten()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    const QByteArray ctx = context.toLatin1();
    const QByteArray src = source.toUtf8();
    QVERIFY(m_english.translate(ctx.constData(), src.constData()).isEmpty());

    QVERIFY(QCoreApplication::installTranslator(&m_english));
    const QString shown = QCoreApplication::translate(ctx.constData(), src.constData());
    QCoreApplication::removeTranslator(&m_english);
    QCOMPARE(shown, source);
}

// The program keeps its start-up translator and swaps a second one above it.
void TestTranslations::englishTranslatorOverChineseAndBack()
{
    QVERIFY(QCoreApplication::installTranslator(&m_chinese));
    QCOMPARE(QCoreApplication::translate("CMainTitleBar", "扫描节点"), QStringLiteral("扫描节点"));

    QTranslator window;
    QVERIFY(window.load(qmPath("english_en")));
    QVERIFY(QCoreApplication::installTranslator(&window));
    QCOMPARE(QCoreApplication::translate("CMainTitleBar", "扫描节点"), QStringLiteral("Scan node"));
    QCOMPARE(QCoreApplication::translate("CMainTitleBar", "分布式配置软件"), QStringLiteral("Quorvane"));
    QCOMPARE(QCoreApplication::translate("CDeviceManage", "是否重启设备？"),
             QStringLiteral("Are you sure you want to restart the selected device(s)?"));
    QCOMPARE(QCoreApplication::translate("CDeviceRestartDlg", "是否重启设备？"),
             QStringLiteral("Are you sure you want to restart this device?"));

    QCoreApplication::removeTranslator(&window);
    QVERIFY(window.load(qmPath("chinese_cn")));
    QVERIFY(QCoreApplication::installTranslator(&window));
    QCOMPARE(QCoreApplication::translate("CMainTitleBar", "扫描节点"), QStringLiteral("扫描节点"));
    QCOMPARE(QCoreApplication::translate("CProgressListItem", "其它错误"), QStringLiteral("其它错误"));

    QCoreApplication::removeTranslator(&window);
    QCoreApplication::removeTranslator(&m_chinese);
}

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
