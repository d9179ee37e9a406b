<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CAboutDialog</name>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>分布式配置软件</source>
        <translation>Quorvane</translation>
    </message>
    <message>
        <source>欧凡塔视讯科技有限公司</source>
        <translation>Orvanta Visual Systems Co., Ltd.</translation>
    </message>
</context>
<context>
    <name>CAddNodeDlg</name>
    <message>
        <source>添加节点</source>
        <translation>Add node</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>IP地址</source>
        <translation>IP address</translation>
    </message>
</context>
<context>
    <name>CAppConfig</name>
    <message>
        <source>配置文件已损坏，已另存为 %1，现使用默认设置。</source>
        <translation>The configuration file was damaged. It was kept as %1 and the default settings are used.</translation>
    </message>
</context>
<context>
    <name>CCommandHistory</name>
    <message>
        <source>已发送</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>成功</source>
        <translation>Succeeded</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>已取消</source>
        <translation>Cancelled</translation>
    </message>
    <message>
        <source>试点节点验证通过</source>
        <translation>Canary nodes verified</translation>
    </message>
    <message>
        <source>试点节点验证失败</source>
        <translation>Canary failed</translation>
    </message>
</context>
<context>
    <name>CCustomDialog</name>
    <message>
        <source>确认</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CDataExportWidget</name>
    <message>
        <source>数据导出</source>
        <translation>Export data</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CDataImportWidget</name>
    <message>
        <source>数据导入</source>
        <translation>Import data</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CDecoderSettingDlg</name>
    <message>
        <source>解码节点</source>
        <translation>Decoder</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>基础设置</source>
        <translation>Basic settings</translation>
    </message>
    <message>
        <source>高级设置</source>
        <translation>Advanced settings</translation>
    </message>
    <message>
        <source>设备类型</source>
        <translation>Device type</translation>
    </message>
    <message>
        <source>设备型号</source>
        <translation>Device model</translation>
    </message>
    <message>
        <source>节点名称</source>
        <translation>Node name</translation>
    </message>
    <message>
        <source>名称不能为空，请重新输入</source>
        <translation>Name cannot be empty. Please enter a valid name.</translation>
    </message>
    <message>
        <source>IP地址不能为空，请重新输入</source>
        <translation>IP adress cannot be empty.</translation>
    </message>
    <message>
        <source>IP地址无效，请重新输入</source>
        <translation>Invalid IP address. Please enter all four fields.</translation>
    </message>
    <message>
        <source>子网掩码无效，请重新输入</source>
        <translation>Invalid subnet mask. Please enter all four fields.</translation>
    </message>
    <message>
        <source>网关无效，请重新输入</source>
        <translation>Invalid gateway. Please enter all four fields.</translation>
    </message>
    <message>
        <source>MAC地址无效，请重新输入</source>
        <translation>Invalid MAC address. Please enter all six fields.</translation>
    </message>
    <message>
        <source>IP地址与其他节点冲突，请重新输入</source>
        <translation>IP address conflicts with another node. Please try a different address.</translation>
    </message>
    <message>
        <source>MAC地址与其他节点冲突，请重新输入</source>
        <translation>MAC address conflicts with another node. Please try a different address.</translation>
    </message>
    <message>
        <source>名称已重复，请重新输入</source>
        <translation>Name already exists. Please enter a different name.</translation>
    </message>
    <message>
        <source>IP地址</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>子网掩码</source>
        <translation>Subnet mask</translation>
    </message>
    <message>
        <source>网关</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>音频输出模式</source>
        <translation>Audio output mode</translation>
    </message>
    <message>
        <source>设备模式</source>
        <translation>Device mode</translation>
    </message>
    <message>
        <source>输出分辨率</source>
        <translation>Output resolution</translation>
    </message>
    <message>
        <source>日志导出</source>
        <translation>Export logs</translation>
    </message>
    <message>
        <source>日志等级</source>
        <translation>Log level</translation>
    </message>
    <message>
        <source>修改未保存，请确定是否退出？</source>
        <translation>Your changes have not been saved. Are you sure you want to exit?</translation>
    </message>
    <message>
        <source>文件名:</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>选择文件夹</source>
        <translation>Select folder</translation>
    </message>
</context>
<context>
    <name>CDeviceManage</name>
    <message>
        <source>设备升级</source>
        <translation>Device upgrade</translation>
    </message>
    <message>
        <source>app升级</source>
        <translation>App upgrade</translation>
    </message>
    <message>
        <source>没有可用的网卡</source>
        <translation>No network card</translation>
    </message>
    <message>
        <source>设备重启</source>
        <translation>Device restart</translation>
    </message>
    <message>
        <source>是否重启设备？</source>
        <translation>Are you sure you want to restart the selected device(s)?</translation>
    </message>
    <message>
        <source>请选择需要切换的设备</source>
        <translation>Please select the device for type switching.</translation>
    </message>
    <message>
        <source>请选择需要配置网络的设备</source>
        <translation>Please select the device for network configuration.</translation>
    </message>
    <message>
        <source>请选择需要升级的设备</source>
        <translation>Please select the device you want to upgrade.</translation>
    </message>
    <message>
        <source>请选择需要重启的设备</source>
        <translation>Please select the device(s) to restart.</translation>
    </message>
    <message>
        <source>重启成功</source>
        <translation>Restart successful.</translation>
    </message>
    <message>
        <source>重启失败</source>
        <translation>Restart failed.</translation>
    </message>
    <message>
        <source>请选择需要恢复出厂设置的设备</source>
        <translation>Please select the device(s) for factory reset.</translation>
    </message>
    <message>
        <source>恢复出厂设置</source>
        <translation>Factory reset</translation>
    </message>
    <message>
        <source>是否恢复出厂设置？</source>
        <translation>Are you sure you want to reset the selected device(s) to factory settings?</translation>
    </message>
    <message>
        <source>文件名:</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>请选择需要导出数据的设备</source>
        <translation>Please select the device to export data.</translation>
    </message>
    <message>
        <source>切换成功</source>
        <translation>Switched successfully.</translation>
    </message>
    <message>
        <source>选择文件夹</source>
        <translation>Select folder</translation>
    </message>
    <message>
        <source>同步系统时间</source>
        <translation>Synchronize system time</translation>
    </message>
    <message>
        <source>是否同步当前系统时间到所有设备？</source>
        <translation>Do you want to synchronize the current system time to all devices?</translation>
    </message>
    <message>
        <source>节点设置</source>
        <translation>Node settings</translation>
    </message>
    <message>
        <source>将发送到 %1 个节点</source>
        <translation>This will reach %1 node(s).</translation>
    </message>
</context>
<context>
    <name>CDeviceRestartDlg</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>是否重启设备？</source>
        <translation>Are you sure you want to restart this device?</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
</context>
<context>
    <name>CDeviceUpdateWidget</name>
    <message>
        <source>设备升级</source>
        <translation>Device upgrade</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>确定要取消升级吗？</source>
        <translation>Are you sure you want to cancel the upgrade?</translation>
    </message>
</context>
<context>
    <name>CEncoderSettingDlg</name>
    <message>
        <source>编码节点</source>
        <translation>Encoder</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>基础设置</source>
        <translation>Basic settings</translation>
    </message>
    <message>
        <source>高级设置</source>
        <translation>Advanced settings</translation>
    </message>
    <message>
        <source>设备类型</source>
        <translation>Device type</translation>
    </message>
    <message>
        <source>设备型号</source>
        <translation>Device model</translation>
    </message>
    <message>
        <source>节点名称</source>
        <translation>Node name</translation>
    </message>
    <message>
        <source>IP地址</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>子网掩码</source>
        <translation>Subnet mask</translation>
    </message>
    <message>
        <source>网关</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>信号源分辨率</source>
        <translation>Signal resolution</translation>
    </message>
    <message>
        <source>编码分辨率</source>
        <translation>Encode resolution</translation>
    </message>
    <message>
        <source>编码帧率</source>
        <translation>Encode frame rate</translation>
    </message>
    <message>
        <source>视频编码</source>
        <translation>Video encoding</translation>
    </message>
    <message>
        <source>码率</source>
        <translation>Bitrate</translation>
    </message>
    <message>
        <source>编码级别</source>
        <translation>Encoding profile</translation>
    </message>
    <message>
        <source>音频编码</source>
        <translation>Audio encoding</translation>
    </message>
    <message>
        <source>音频增益</source>
        <translation>Audio gain</translation>
    </message>
    <message>
        <source>启用</source>
        <translation>Enable</translation>
    </message>
    <message>
        <source>禁用</source>
        <translation>Disable</translation>
    </message>
    <message>
        <source>日志等级</source>
        <translation>Log level</translation>
    </message>
    <message>
        <source>日志导出</source>
        <translation>Export logs</translation>
    </message>
    <message>
        <source>音频输入</source>
        <translation>Audio input</translation>
    </message>
    <message>
        <source>名称不能为空，请重新输入</source>
        <translation>Name cannot be empty. Please enter a valid name.</translation>
    </message>
    <message>
        <source>IP地址不能为空，请重新输入</source>
        <translation>IP adress cannot be empty.</translation>
    </message>
    <message>
        <source>IP地址无效，请重新输入</source>
        <translation>Invalid IP address. Please enter all four fields.</translation>
    </message>
    <message>
        <source>子网掩码无效，请重新输入</source>
        <translation>Invalid subnet mask. Please enter all four fields.</translation>
    </message>
    <message>
        <source>网关无效，请重新输入</source>
        <translation>Invalid gateway. Please enter all four fields.</translation>
    </message>
    <message>
        <source>MAC地址无效，请重新输入</source>
        <translation>Invalid MAC address. Please enter all six fields.</translation>
    </message>
    <message>
        <source>IP地址与其他节点冲突，请重新输入</source>
        <translation>IP address conflicts with another node. Please try a different address.</translation>
    </message>
    <message>
        <source>MAC地址与其他节点冲突，请重新输入</source>
        <translation>MAC address conflicts with another node. Please try a different address.</translation>
    </message>
    <message>
        <source>名称已重复，请重新输入</source>
        <translation>Name already exists. Please enter a different name.</translation>
    </message>
    <message>
        <source>文件名:</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>选择文件夹</source>
        <translation>Select folder</translation>
    </message>
    <message>
        <source>修改未保存，请确定是否退出？</source>
        <translation>Your changes have not been saved. Are you sure you want to exit?</translation>
    </message>
</context>
<context>
    <name>CHistoryDialog</name>
    <message>
        <source>历史记录</source>
        <translation>History</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>命令</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>节点IP</source>
        <translation>Node IP</translation>
    </message>
    <message>
        <source>节点ID</source>
        <translation>Node ID</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>按节点名称、IP或ID筛选</source>
        <translation>Filter by node name, IP or ID</translation>
    </message>
    <message>
        <source>节点名称</source>
        <translation>Node name</translation>
    </message>
</context>
<context>
    <name>CInventoryDiffDlg</name>
    <message>
        <source>对比清单</source>
        <translation>Compare with inventory</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>当前节点与清单一致</source>
        <translation>The nodes are as in the inventory.</translation>
    </message>
    <message>
        <source>缺失%1个，新增%2个，变化%3个</source>
        <translation>%1 missing, %2 new, %3 changed</translation>
    </message>
    <message>
        <source>保存为CSV</source>
        <translation>Save as CSV</translation>
    </message>
    <message>
        <source>节点名称</source>
        <translation>Node name</translation>
    </message>
    <message>
        <source>IP地址</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>项目</source>
        <translation>Field</translation>
    </message>
    <message>
        <source>原值</source>
        <translation>Old value</translation>
    </message>
    <message>
        <source>新值</source>
        <translation>New value</translation>
    </message>
    <message>
        <source>缺失的节点 (%1)</source>
        <translation>Missing (%1)</translation>
    </message>
    <message>
        <source>新增的节点 (%1)</source>
        <translation>New (%1)</translation>
    </message>
    <message>
        <source>变化的节点 (%1)</source>
        <translation>Changed (%1)</translation>
    </message>
    <message>
        <source>缺失</source>
        <translation>Missing</translation>
    </message>
    <message>
        <source>新增</source>
        <translation>New</translation>
    </message>
    <message>
        <source>变化</source>
        <translation>Changed</translation>
    </message>
    <message>
        <source>子网掩码</source>
        <translation>Subnet mask</translation>
    </message>
    <message>
        <source>网关</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>MAC地址</source>
        <translation>MAC address</translation>
    </message>
    <message>
        <source>版本</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>模式</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>代理地址</source>
        <translation>Manager address</translation>
    </message>
    <message>
        <source>分组</source>
        <translation>Group</translation>
    </message>
    <message>
        <source>文件名:</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>保存失败：%1</source>
        <translation>Saving failed: %1</translation>
    </message>
</context>
<context>
    <name>CLogExportWidget</name>
    <message>
        <source>日志导出</source>
        <translation>Export logs</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CMainShowWidget</name>
    <message>
        <source>搜索节点名称、信号源、IP或MAC (Ctrl+F)</source>
        <translation>Search name, signal, IP or MAC (Ctrl+F)</translation>
    </message>
    <message>
        <source>没有匹配的节点</source>
        <translation>No matching node</translation>
    </message>
    <message>
        <source>● 正在刷新… · 上次刷新 %1</source>
        <translation>● Refreshing… · last refresh %1</translation>
    </message>
    <message>
        <source>自动刷新：每%1秒 · 上次刷新 %2</source>
        <translation>Auto refresh: every %1 s · last refresh %2</translation>
    </message>
    <message>
        <source>该节点在上次刷新时没有应答，下次刷新仍无应答将移出列表；不能勾选</source>
        <translation>This node did not answer the last refresh; it leaves the list if it does not answer the next one. It cannot be checked.</translation>
    </message>
    <message>
        <source>已选 %1 / %2</source>
        <translation>Selected %1 / %2</translation>
    </message>
</context>
<context>
    <name>CMainTitleBar</name>
    <message>
        <source>分布式配置软件</source>
        <translation>Quorvane</translation>
    </message>
    <message>
        <source>扫描节点</source>
        <translation>Scan node</translation>
    </message>
    <message>
        <source>网络配置</source>
        <translation>Network config</translation>
    </message>
    <message>
        <source>添加节点</source>
        <translation>Add node</translation>
    </message>
    <message>
        <source>设备升级</source>
        <translation>Device upgrade</translation>
    </message>
    <message>
        <source>app升级</source>
        <translation>App upgrade</translation>
    </message>
    <message>
        <source>设备重启</source>
        <translation>Device restart</translation>
    </message>
    <message>
        <source>恢复出厂设置</source>
        <translation>Factory reset</translation>
    </message>
    <message>
        <source>数据导入</source>
        <translation>Import data</translation>
    </message>
    <message>
        <source>数据导出</source>
        <translation>Export data</translation>
    </message>
    <message>
        <source>一键替换</source>
        <translation>Replace node</translation>
    </message>
    <message>
        <source>解码节点模式切换</source>
        <translation>Switch mode</translation>
    </message>
    <message>
        <source>代理节点日志等级</source>
        <translation>Proxy log level</translation>
    </message>
    <message>
        <source>语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>中文(Chinese)</source>
        <translation>Chinese</translation>
    </message>
    <message>
        <source>英语(English)</source>
        <translation>English</translation>
    </message>
    <message>
        <source>网卡</source>
        <translation>Network cards</translation>
    </message>
    <message>
        <source>类型切换</source>
        <translation>Switch type</translation>
    </message>
    <message>
        <source>同步系统时间</source>
        <translation>Sync system time</translation>
    </message>
    <message>
        <source>导出列表</source>
        <translation>Export list</translation>
    </message>
    <message>
        <source>显示的节点</source>
        <translation>Listed nodes</translation>
    </message>
    <message>
        <source>所有节点</source>
        <translation>All nodes</translation>
    </message>
    <message>
        <source>自动刷新</source>
        <translation>Auto refresh</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>每%1秒</source>
        <translation>Every %1 s</translation>
    </message>
    <message>
        <source>历史记录</source>
        <translation>History</translation>
    </message>
    <message>
        <source>保存清单</source>
        <translation>Save inventory</translation>
    </message>
    <message>
        <source>对比清单</source>
        <translation>Compare with inventory</translation>
    </message>
</context>
<context>
    <name>CMessageDialog</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>总共切换节点</source>
        <translation>Total switched</translation>
    </message>
    <message>
        <source>切换成功</source>
        <translation>Succeeded</translation>
    </message>
    <message>
        <source>切换失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CModelSwitch</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>解码节点模式切换</source>
        <translation>Decoder mode switching</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>节点名称</source>
        <translation>Node name</translation>
    </message>
    <message>
        <source>切换模式选择</source>
        <translation>Modes for switching</translation>
    </message>
    <message>
        <source>请选择需要切换的设备</source>
        <translation>Please select the device for mode switching.</translation>
    </message>
</context>
<context>
    <name>CNetConfigDlg</name>
    <message>
        <source>网络配置</source>
        <translation>Network config</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>自动配置</source>
        <translation>Auto config</translation>
    </message>
    <message>
        <source>起始IP</source>
        <translation>Start IP</translation>
    </message>
    <message>
        <source>子网掩码</source>
        <translation>Subnet mask</translation>
    </message>
    <message>
        <source>网关</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>路径</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>导入</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>导出</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>将要配置的节点IP和已有未选中节点IP冲突，请重新配置IP</source>
        <translation>The IP address of the node you are configuring conflicts with an exsiting IP address of an unselected node. Please configure a different IP address.</translation>
    </message>
    <message>
        <source>起始IP无效，请重新输入</source>
        <translation>Invalid start IP. Please enter all four fields.</translation>
    </message>
    <message>
        <source>子网掩码无效，请重新输入</source>
        <translation>Invalid subnet mask. Please enter all four fields.</translation>
    </message>
    <message>
        <source>网关无效，请重新输入</source>
        <translation>Invalid gateway. Please enter all four fields.</translation>
    </message>
    <message>
        <source>起始IP之后的地址不够分配给所有选中的节点，请重新配置IP</source>
        <translation>There are not enough addresses after the start IP (up to .254) for all selected nodes. Please configure a different IP address.</translation>
    </message>
</context>
<context>
    <name>CNodeHeaderView</name>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>节点名称</source>
        <translation>Node name</translation>
    </message>
    <message>
        <source>信号源名称</source>
        <translation>Signal name</translation>
    </message>
    <message>
        <source>固件1版本</source>
        <translation>Firmware 1 version</translation>
    </message>
    <message>
        <source>固件2版本</source>
        <translation>Firmware 2 version</translation>
    </message>
    <message>
        <source>IP地址</source>
        <translation>IP address</translation>
    </message>
</context>
<context>
    <name>CUpgradeWidget</name>
    <message>
        <source>节点 %1 的 SSH 主机密钥已改变（新密钥 %2），传输已被拒绝。节点恢复出厂设置后会有新的密钥。是否接受新的密钥？接受后请点击重试。</source>
        <translation>The SSH host key of node %1 has changed (new key %2) and the transfer was refused. A node gets a new key when it is reset to factory settings. Accept the new key? Then click Retry.</translation>
    </message>
    <message>
        <source>上传中</source>
        <translation>Uploading</translation>
    </message>
    <message>
        <source>安装中</source>
        <translation>Installing</translation>
    </message>
    <message>
        <source>验证中</source>
        <translation>Verifying</translation>
    </message>
    <message>
        <source>已验证 %1</source>
        <translation>Verified %1</translation>
    </message>
    <message>
        <source>验证失败：%1 秒后仍为 %2</source>
        <translation>Verification failed: still %2 after %1 s</translation>
    </message>
    <message>
        <source>验证失败：节点未重新上线</source>
        <translation>Verification failed: did not come back</translation>
    </message>
    <message>
        <source>应用升级不验证版本</source>
        <translation>App upgrade: version not verified</translation>
    </message>
    <message>
        <source>已是 %1，已跳过</source>
        <translation>Already %1, skipped</translation>
    </message>
    <message>
        <source>未开始</source>
        <translation>Not started</translation>
    </message>
</context>
<context>
    <name>CUpgradeWorker</name>
    <message>
        <source>已验证</source>
        <translation>Verified</translation>
    </message>
    <message>
        <source>验证失败：版本未变</source>
        <translation>Verification failed: version unchanged</translation>
    </message>
    <message>
        <source>验证失败：节点未重新上线</source>
        <translation>Verification failed: the node did not come back</translation>
    </message>
    <message>
        <source>升级成功（应用升级不验证版本）</source>
        <translation>Upgraded (application upgrades are not verified)</translation>
    </message>
    <message>
        <source>已是该版本，已跳过</source>
        <translation>Already on this version, skipped</translation>
    </message>
    <message>
        <source>已应答成功，验证未完成</source>
        <translation>Answered success; verification not finished</translation>
    </message>
    <message>
        <source>未开始</source>
        <translation>Not started</translation>
    </message>
</context>
<context>
    <name>CNodeListModel</name>
    <message>
        <source>无效的节点地址，不会向它发送命令</source>
        <translation>Invalid node address: no command is sent to it</translation>
    </message>
    <message>
        <source>应答来自 %1，与节点报告的地址不同</source>
        <translation>The answer came from %1, not from the address the node reports</translation>
    </message>
    <message>
        <source>节点 ID 冲突：另一个地址报告了相同的 ID</source>
        <translation>Node ID conflict: another address reports the same ID</translation>
    </message>
</context>
<context>
    <name>CNodeTableDelegate</name>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
</context>
<context>
    <name>CProgressListItem</name>
    <message>
        <source>日志文件超过大小限制</source>
        <translation>A log file is over the size limit</translation>
    </message>
    <message>
        <source>重试</source>
        <translation>Retry</translation>
    </message>
    <message>
        <source>正在导入</source>
        <translation>Importing...</translation>
    </message>
    <message>
        <source>正在导出</source>
        <translation>Exporting...</translation>
    </message>
    <message>
        <source>正在升级</source>
        <translation>Upgrading...</translation>
    </message>
    <message>
        <source>导入成功</source>
        <translation>Imported successfully</translation>
    </message>
    <message>
        <source>类型不匹配</source>
        <translation>Type mismatch</translation>
    </message>
    <message>
        <source>导入失败</source>
        <translation>Import failed</translation>
    </message>
    <message>
        <source>设备不在线</source>
        <translation>This device is offline.</translation>
    </message>
    <message>
        <source>导出成功</source>
        <translation>Exported successfully</translation>
    </message>
    <message>
        <source>导出失败</source>
        <translation>Export failed</translation>
    </message>
    <message>
        <source>升级成功</source>
        <translation>Upgraded successfully</translation>
    </message>
    <message>
        <source>杀掉App进程失败</source>
        <translation>Failed to kill the App process</translation>
    </message>
    <message>
        <source>移除App进程失败</source>
        <translation>Removal process failed</translation>
    </message>
    <message>
        <source>写入App进程失败</source>
        <translation>Writing process failed</translation>
    </message>
    <message>
        <source>MD5匹配失败</source>
        <translation>MD5 matching failed</translation>
    </message>
    <message>
        <source>设备型号不匹配</source>
        <translation>Device model mismatch</translation>
    </message>
    <message>
        <source>当前版本过低</source>
        <translation>The current version is too low.</translation>
    </message>
    <message>
        <source>帧编号不匹配</source>
        <translation>Frame number mismatch</translation>
    </message>
    <message>
        <source>升级文件错误</source>
        <translation>Upgrade file error</translation>
    </message>
    <message>
        <source>其它错误</source>
        <translation>Other errors</translation>
    </message>
    <message>
        <source>升级失败</source>
        <translation>Upgrade failed</translation>
    </message>
</context>
<context>
    <name>CProxyLogLevel</name>
    <message>
        <source>代理节点日志等级设置</source>
        <translation>Proxy log level settings</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>日志等级</source>
        <translation>Log level</translation>
    </message>
    <message>
        <source>日志导出</source>
        <translation>Export logs</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>文件名:</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>选择文件夹</source>
        <translation>Select folder</translation>
    </message>
    <message>
        <source>代理节点不在本次扫描的节点中，未获取日志</source>
        <translation>The proxy node is not among the nodes of this scan; no logs were fetched</translation>
    </message>
</context>
<context>
    <name>CSoftwareUpdateWidget</name>
    <message>
        <source>app升级</source>
        <translation>App upgrade</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>确定要取消升级吗？</source>
        <translation>Are you sure you want to cancel the upgrade?</translation>
    </message>
</context>
<context>
    <name>CTypeSwitchWidget</name>
    <message>
        <source>待切换列表</source>
        <translation>Switch list</translation>
    </message>
    <message>
        <source>切换类型</source>
        <translation>Switch type</translation>
    </message>
    <message>
        <source>节点名称</source>
        <translation>Node name</translation>
    </message>
    <message>
        <source>当前类型</source>
        <translation>Current type</translation>
    </message>
    <message>
        <source>切换成功的节点:</source>
        <translation>Succeeded:</translation>
    </message>
    <message>
        <source>待切换列表不能为空</source>
        <translation>Switch list cannot be empty.</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CUpdateDlg</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>路径</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>浏览</source>
        <translation>Browse</translation>
    </message>
    <message>
        <source>请选择有效的升级路径</source>
        <translation>Please select a valid upgrade path.</translation>
    </message>
    <message>
        <source>文件名:</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>分批升级与验证</source>
        <translation>Staged rollout and verification</translation>
    </message>
    <message>
        <source>不使用</source>
        <translation>None</translation>
    </message>
    <message>
        <source>全部同时</source>
        <translation>All at once</translation>
    </message>
    <message>
        <source>不限</source>
        <translation>No limit</translation>
    </message>
    <message>
        <source> 秒</source>
        <translation> s</translation>
    </message>
    <message>
        <source>跳过已是该版本的节点</source>
        <translation>Skip nodes already on this version</translation>
    </message>
    <message>
        <source>试点节点数（按地址顺序，全部验证后才继续）</source>
        <translation>Canary nodes (address order; the rest wait until all are verified)</translation>
    </message>
    <message>
        <source>每批节点数</source>
        <translation>Nodes per wave</translation>
    </message>
    <message>
        <source>失败多少个后停止</source>
        <translation>Stop after this many failures</translation>
    </message>
    <message>
        <source>版本验证时限</source>
        <translation>Verification time limit</translation>
    </message>
</context>
<context>
    <name>ListItemDelegate</name>
    <message>
        <source>待切换列表</source>
        <translation>Switch list</translation>
    </message>
    <message>
        <source>是否将此节点移出待切换列表？</source>
        <translation>Are you sure you want to remove this node from the switch list?</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Quorvane</source>
        <translation>Quorvane</translation>
    </message>
    <message>
        <source>文件名:</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>已导出%1个节点</source>
        <translation>Exported %1 nodes.</translation>
    </message>
    <message>
        <source>导出失败：%1</source>
        <translation>Export failed: %1</translation>
    </message>
    <message>
        <source>没有可保存的节点</source>
        <translation>No node to save.</translation>
    </message>
    <message>
        <source>已保存%1个节点</source>
        <translation>Saved %1 nodes.</translation>
    </message>
    <message>
        <source>保存失败：%1</source>
        <translation>Saving failed: %1</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>无法读取清单：%1</source>
        <translation>Cannot read the inventory: %1</translation>
    </message>
</context>
<context>
    <name>NodeCsv</name>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>节点名称</source>
        <translation>Node name</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>信号源名称</source>
        <translation>Signal name</translation>
    </message>
    <message>
        <source>版本</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>模式</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>IP地址</source>
        <translation>IP address</translation>
    </message>
    <message>
        <source>MAC地址</source>
        <translation>MAC address</translation>
    </message>
    <message>
        <source>子网掩码</source>
        <translation>Subnet mask</translation>
    </message>
    <message>
        <source>网关</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>型号</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
</context>
<context>
    <name>NodeNames</name>
    <message>
        <source>所有类型</source>
        <translation>All types</translation>
    </message>
    <message>
        <source>解码节点</source>
        <translation>Decoder</translation>
    </message>
    <message>
        <source>编码节点</source>
        <translation>Encoder</translation>
    </message>
    <message>
        <source>大屏</source>
        <translation>Screen</translation>
    </message>
    <message>
        <source>坐席</source>
        <translation>KVM</translation>
    </message>
    <message>
        <source>矩阵</source>
        <translation>Matrix</translation>
    </message>
    <message>
        <source>所有模式</source>
        <translation>All modes</translation>
    </message>
    <message>
        <source>所有版本</source>
        <translation>All versions</translation>
    </message>
</context>
</TS>
