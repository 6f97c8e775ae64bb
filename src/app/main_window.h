// The main window's creation sequence; the whole start (startMainWindow) and the shutdown
// sequence (onDestroy) are entry points, declared in platform/events.h.
#pragma once

#include "platform/events.h"

// The creation sequence alone, without the bars.
void onCreate();
