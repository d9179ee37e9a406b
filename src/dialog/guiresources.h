#pragma once

class QApplication;

// The widgets' resources and the translations live in a static library; the program and the
// tests pull them in here.
void initGuiResources();

// Installs ":/res/res/stylesheet/stylesheet.qss" (up to a first zero byte) as the application
// style sheet; false leaves Qt's defaults in place.
bool installAppStyleSheet(QApplication &app);
