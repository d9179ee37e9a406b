#pragma once

#include <QMetaObject>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

// Drives dialogs that the code under test runs with exec(). An expectation polls the event loop
// for the next modal dialog of its type that was not already open, hands it to an action inside
// that dialog's own event loop and closes it if the action left it open. A dialog that does not
// come within the deadline fails the test with its type's name, and whatever modal dialog did
// open instead is closed, so no test waits forever.
namespace ModalDriver {

// "Never came", not "fast": generous for a loaded machine.
constexpr int kWaitMs = 20000;

class Expect final
{
public:
    struct State;
    Expect(const QMetaObject &type, std::function<void(QWidget *)> action, int timeoutMs, bool required,
           bool optional = false);
    Expect(Expect &&) noexcept = default;
    Expect &operator=(Expect &&) noexcept = default;
    Expect(const Expect &) = delete;
    Expect &operator=(const Expect &) = delete;
    // Stops waiting; a required dialog that never came fails the test here.
    ~Expect();

    bool came() const;
    // Runs the event loop until the dialog came (true) or the deadline passed.
    bool wait();

private:
    std::shared_ptr<State> m_state;
};

// Expects one modal T; action may be empty (the dialog is then rejected).
template <typename T>
[[nodiscard]] Expect expect(std::function<void(T *)> action = {}, int timeoutMs = kWaitMs)
{
    return Expect(T::staticMetaObject,
                  [action](QWidget *w) {
                      if (action)
                          action(static_cast<T *>(w));
                  },
                  timeoutMs, true);
}

// Like expect(), but the dialog may not come; came() tells.
template <typename T>
[[nodiscard]] Expect maybe(std::function<void(T *)> action, int timeoutMs = kWaitMs)
{
    return Expect(T::staticMetaObject, [action](QWidget *w) { action(static_cast<T *>(w)); }, timeoutMs, true,
                  true);
}

// While it lives, any modal dialog that opens fails the test and is rejected.
[[nodiscard]] Expect expectNone(int timeoutMs = kWaitMs);

// Text of a CMessageDialog or a CDeviceRestartDlg question.
QString messageText(QWidget *w);
// Runs action; returns the text of the message box it opened, answered with OK or Cancel.
QString messageFrom(const std::function<void()> &action, bool confirm = true);

// The program's style sheet, as start-up installs it (resources are loaded for every test).
void useProgramLook();

} // namespace ModalDriver
