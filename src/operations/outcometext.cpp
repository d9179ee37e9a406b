#include "operations/outcometext.h"

#include <QCoreApplication>

#include "comm/protocol.h"
#include "comm/upgradecmd.h"
#include "history/ccommandhistory.h"

namespace OutcomeText {

const char *context(EKind kind)
{
    switch (kind) {
    case EKind::Send: return "CCommandHistory";
    case EKind::Switch: return "CMessageDialog";
    default: return "CProgressListItem";
    }
}

const char *source(EKind kind, int code)
{
    switch (kind) {
    case EKind::Import:
        switch (code) {
        case 0: return QT_TRANSLATE_NOOP("CProgressListItem", "导入成功");
        case 1: return QT_TRANSLATE_NOOP("CProgressListItem", "类型不匹配");
        case 2: return QT_TRANSLATE_NOOP("CProgressListItem", "导入失败");
        case 3: return QT_TRANSLATE_NOOP("CProgressListItem", "设备不在线");
        default: return nullptr;
        }
    case EKind::Export:
        switch (code) {
        case 0: return QT_TRANSLATE_NOOP("CProgressListItem", "导出成功");
        case 2: return QT_TRANSLATE_NOOP("CProgressListItem", "导出失败");
        case 4: return QT_TRANSLATE_NOOP("CProgressListItem", "日志文件超过大小限制");
        default: return nullptr;
        }
    case EKind::Upgrade:
        return UpgradeCmd::resultSource(static_cast<uint32_t>(code));
    case EKind::Send:
        switch (code) {
        case 0: return QT_TRANSLATE_NOOP("CCommandHistory", "已发送");
        case 1: return QT_TRANSLATE_NOOP("CCommandHistory", "失败");
        default: return nullptr;
        }
    case EKind::Switch:
        switch (code) {
        case 0: return QT_TRANSLATE_NOOP("CMessageDialog", "切换成功");
        case 1: return QT_TRANSLATE_NOOP("CMessageDialog", "切换失败");
        default: return nullptr;
        }
    }
    return nullptr;
}

const char *runningSource(EKind kind)
{
    switch (kind) {
    case EKind::Import: return QT_TRANSLATE_NOOP("CProgressListItem", "正在导入");
    case EKind::Export: return QT_TRANSLATE_NOOP("CProgressListItem", "正在导出");
    case EKind::Upgrade: return QT_TRANSLATE_NOOP("CProgressListItem", "正在升级");
    default: return "";
    }
    return "";
}

bool succeeded(EKind kind, int code)
{
    return kind == EKind::Upgrade ? static_cast<uint32_t>(code) == Protocol::kUpgradeOk : code == 0;
}

QString shown(EKind kind, int code)
{
    const char *text = source(kind, code);
    return text ? QCoreApplication::translate(context(kind), text) : QString();
}

QString key(EKind kind, int code)
{
    const char *text = source(kind, code);
    return text ? CCommandHistory::key(context(kind), text) : QString();
}

} // namespace OutcomeText
