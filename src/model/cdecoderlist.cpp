#include "model/cdecoderlist.h"

CDecoderList &CDecoderList::instance()
{
    // Never destroyed: scan answers may still arrive on other threads at exit.
    static CDecoderList *store = new CDecoderList;
    return *store;
}
