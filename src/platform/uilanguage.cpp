#include "platform/uilanguage.h"

#include <QLocale>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace Platform {

uint16_t uiLanguageIdForLocaleName(const QString &localeName)
{
    // Only Chinese (PRC) matters to the caller; everything else reads as English.
    const QString name = localeName.section(QLatin1Char('.'), 0, 0).replace(QLatin1Char('-'), QLatin1Char('_'));
    if (name.compare(QLatin1String("zh_CN"), Qt::CaseInsensitive) == 0
        || name.compare(QLatin1String("zh_Hans_CN"), Qt::CaseInsensitive) == 0)
        return kLangChinesePrc;
    return kLangEnglishUs;
}

uint16_t userDefaultUiLanguageId()
{
#ifdef Q_OS_WIN
    return static_cast<uint16_t>(::GetUserDefaultLangID());
#else
    return uiLanguageIdForLocaleName(QLocale::system().name());
#endif
}

} // namespace Platform
