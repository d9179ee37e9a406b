#pragma once

#include <QByteArray>
#include <QString>

#include "model/sdeviceinfo.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QWidget>

namespace fixtures {

sDecoderInfo decoder(int64_t id, const QByteArray &ip, const QByteArray &mac, int mode = 0,
                     const QByteArray &version = "V1.0.0", const QByteArray &name = QByteArray());
sEncoderInfo encoder(int64_t id, const QByteArray &ip, const QByteArray &mac, const QByteArray &signalName = "Camera",
                     const QByteArray &version = "V1.0.0", const QByteArray &name = QByteArray());

// Empties both stores.
void clearStores();

#ifdef QV_BUILD_DIR
// Saves a grab of the widget as QV_BUILD_DIR/screenshots/NAME.png and returns the path.
inline QString saveScreenshot(QWidget *widget, const QString &name)
{
    const QString dir = QStringLiteral(QV_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    widget->grab().save(path);
    return path;
}
#endif

// Counts pixels within `tolerance` of `colour` in rect.
int countColour(const QImage &image, const QRect &rect, const QColor &colour, int tolerance = 40);

} // namespace fixtures
