#pragma once

#include <QDir>
#include <QString>
#include <QWidget>
#include <functional>

class QWidget;

// Drives modal dialogs from a test: an action runs on the next modal widget
// that was not active when it was armed, inside that dialog's own event loop.
namespace ModalDriver {

using Action = std::function<void(QWidget *)>;

// Polls every 10 ms; after timeoutMs gives up and counts a miss.
void whenModal(Action action, int timeoutMs = 15000);
// Modal widgets that never appeared.
int missed();

void accept(QWidget *w);
void reject(QWidget *w);
// Text of a CMessageDialog (or of any dialog's first non-empty label).
QString messageText(QWidget *w);

// Loads the program's resources and style sheet, as start-up does.
void useProgramLook();

// Saves a picture of the widget as <folder>/<name>.png; returns the path.
QString saveGrab(QWidget *w, const QString &folder, const QString &name);

#ifdef QV_BUILD_DIR
// Screenshots go to <build>/screenshots.
inline QString screenshot(QWidget *w, const QString &name)
{
    return saveGrab(w, QStringLiteral(QV_BUILD_DIR "/screenshots"), name);
}
#endif

} // namespace ModalDriver
