// The three control bars: controls of the page that report every click and drag and move only
// when the program sets their position.
#include "frontends/web/web_imports.h"
#include "platform/platform.h"

namespace {

int32_t id(plat::Bar bar) { return static_cast<int32_t>(bar); }

}  // namespace

namespace plat {

void barCreate(Bar bar, bool vertical) { pageBarCreate(id(bar), vertical ? 1 : 0); }
void barSetRange(Bar bar, int32_t minimum, int32_t maximum, bool) { pageBarRange(id(bar), minimum, maximum); }
void barSetPosition(Bar bar, int32_t position, bool) { pageBarPosition(id(bar), position); }
void barSetTip(Bar bar, const char* text) { pageBarTip(id(bar), text); }
void barShow(Bar bar, bool visible) { pageBarShow(id(bar), visible ? 1 : 0); }
void barMove(Bar bar, int32_t x, int32_t y, int32_t width, int32_t height) { pageBarMove(id(bar), x, y, width, height); }
void focusMainWindow() { pageFocusKeyboard(); }

}  // namespace plat
