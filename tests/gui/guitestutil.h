#pragma once

// Shared set-up for the widget tests: resources, the application style and screenshots.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

inline void initGuiTestResources()
{
    Q_INIT_RESOURCE(res);
}

inline void applyAppStyle()
{
    initGuiTestResources();
    QFile qss(QStringLiteral(":/res/res/stylesheet/stylesheet.qss"));
    if (qss.open(QIODevice::ReadOnly))
        qApp->setStyleSheet(QString::fromUtf8(qss.readAll()));
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(12);
    QApplication::setFont(font);
}

// Saves the widget on the window background under <build>/screenshots/<name>.png.
inline QString saveScreenshot(QWidget *widget, const QString &name)
{
    const QString dir = QStringLiteral(QV_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    const QPixmap shot = widget->grab();
    QPixmap canvas(shot.size() + QSize(32, 32));
    canvas.fill(QColor(0x11, 0x11, 0x11));
    QPainter p(&canvas);
    p.drawPixmap(16, 16, shot);
    p.end();
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    canvas.save(path);
    return path;
}
