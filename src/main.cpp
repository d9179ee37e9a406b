#include <QApplication>
#include <QDir>
#include <QFont>
#include <cstdio>
#include <cstring>
#include <QScreen>
#include <QTranslator>

#include "config/cappconfig.h"
#include "transfer/hostkeys.h"
#include "app/csingleinstance.h"
#include "dialog/cdevicemanage.h"
#include "dialog/guiresources.h"
#include "dialog/mainwindow.h"
#include "ui/cmessagedialog.h"

namespace {

// Answered before any window system is touched, so they work on a machine without a display.
bool answeredFromCommandLine(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--version") || !std::strcmp(argv[i], "-v")) {
            std::printf("quorvane %s\n", QV_VERSION);
            return true;
        }
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::printf("Usage: quorvane [--version] [--help] [Qt options]\n\n"
                        "Finds the encoder, decoder and proxy nodes of the LAN and configures them.\n"
                        "Only one window runs per user: a second start brings the first to the front.\n\n"
                        "  -h, --help     show this help and exit\n"
                        "  -v, --version  show the version and exit\n\n"
                        "For scripted work without a window, see quorvane-cli --help.\n");
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (answeredFromCommandLine(argc, argv))
        return 0;
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    initGuiResources();

    installAppStyleSheet(app);

    CAppConfig &config = *CAppConfig::instance();
    config.load();
    // SSH host keys are trusted on first use and kept beside the configuration.
    HostKeys::setFile(QDir(config.configDir()).filePath(QStringLiteral("known_hosts")));

    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    config.resolveLanguage();

    QTranslator translator;
    translator.load(config.language() == QLatin1String("EN") ? QStringLiteral(":/res/res/translate/english_en.qm")
                                                             : QStringLiteral(":/res/res/translate/chinese_cn.qm"));
    QApplication::installTranslator(&translator);
    setQtLanguage(config.language());

    CSingleInstance instance;
    // A second look when the name is taken: an instance that started at the same moment won.
    if (instance.notifyRunning() || (!instance.listen() && instance.notifyRunning()))
        return 0;

    auto *window = new MainWindow;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QSize s = screen->size();
        window->move((s.width() - window->width()) / 2, (s.height() - window->height()) / 2);
    }
    // Connected before the first scan, which starts before the event loop runs.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [] { CAppConfig::instance()->save(); });
    QObject::connect(&app, &QGuiApplication::applicationStateChanged,
                     [](Qt::ApplicationState) { CAppConfig::instance()->save(); });
    QObject::connect(&instance, &CSingleInstance::sigActivate, window, &MainWindow::raiseFromSecondInstance);
    window->show();
    if (!config.setAsidePath().isEmpty()) {
        // Said once, before the first scan: the operator's settings are gone from this start.
        CMessageDialog notice(QCoreApplication::translate("CAppConfig", "配置文件已损坏，已另存为 %1，现使用默认设置。")
                                  .arg(QDir::toNativeSeparators(config.setAsidePath())),
                              window);
        notice.exec();
    }
    window->deviceManage()->scanNodes();

    const int code = QApplication::exec();
    delete window;
    return code;
}
