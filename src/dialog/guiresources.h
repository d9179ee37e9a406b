#pragma once

class QApplication;
class QString;

// The widgets' resources and the translations live in a static library; the program and the
// tests pull them in here.
void initGuiResources();

// Installs ":/res/res/stylesheet/stylesheet.qss" (up to a first zero byte) as the application
// style sheet; false leaves Qt's defaults in place.
bool installAppStyleSheet(QApplication &app);

// Qt's own texts (file dialogs, standard buttons, context menus) in the program's language:
// "CN" loads Qt's Chinese catalogue from a "translations" folder beside the program (as the
// Windows package ships it) or else from Qt's own translations folder; "EN" needs none.
// False when the language needs a catalogue that is not there (Qt's English texts remain).
bool setQtLanguage(const QString &lang);
