#include "app/appevent.h"

struct AppEventHolder
{
    AppEvent event;
};

AppEvent *AppEvent::instance()
{
    // Created on first use, destroyed with the other statics at exit.
    static AppEventHolder holder;
    return &holder.event;
}

#include "moc_appevent.cpp"
