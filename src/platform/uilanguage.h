#pragma once

#include <QString>
#include <cstdint>

namespace Platform {

// Language identifiers as Windows reports them.
constexpr uint16_t kLangChinesePrc = 0x0804;
constexpr uint16_t kLangEnglishUs = 0x0409;

// The user's default user-interface language identifier.
uint16_t userDefaultUiLanguageId();

// Maps a locale name ("zh_CN", "fr_FR.UTF-8") to a Windows language identifier;
// what the Linux build reports for the system locale.
uint16_t uiLanguageIdForLocaleName(const QString &localeName);

} // namespace Platform
