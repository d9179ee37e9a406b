#pragma once

#include <QObject>
#include <QString>

// Application-wide events that widgets far apart need to hear about.
class AppEvent final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AppEvent)

public:
    static AppEvent *instance();

signals:
    void changeLanguge(QString toLang);

private:
    AppEvent() = default;
    ~AppEvent() override = default;
    friend struct AppEventHolder;
};
