#pragma once

#include <QMetaType>

// Commands of the title bar's command row, as the hub receives them.
enum menuType : int {
    MenuScanNode = 0,
    MenuTypeSwitch = 1,
    MenuNetConfig = 2,
    MenuAddNode = 3,
    MenuDeviceUpdate = 4,
    MenuAppUpdate = 5,
    MenuDeviceRestart = 6,
    MenuResumeFactorySet = 7,
    MenuDataImport = 8,
    MenuDataExport = 9,
    MenuOneKeyReplace = 10,
    MenuSetDeviceTime = 11,
    MenuModelSwitch = 12,
    MenuProxyLogLevel = 13,
    MenuAbout = 14,
};
constexpr int MenuTypeCount = 15;

Q_DECLARE_METATYPE(menuType)
