#include "dialog/guiresources.h"

#include <QApplication>
#include <QFile>

void initGuiResources()
{
    Q_INIT_RESOURCE(res);
#ifdef QV_HAS_TRANSLATIONS
    Q_INIT_RESOURCE(translate);
#endif
}

bool installAppStyleSheet(QApplication &app)
{
    QFile file(QStringLiteral(":/res/res/stylesheet/stylesheet.qss"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    const int zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    app.setStyleSheet(QString::fromUtf8(bytes));
    file.close();
    return true;
}
