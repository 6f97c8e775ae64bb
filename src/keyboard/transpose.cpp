#include "keyboard/transpose.h"

#include "base/app_state.h"
#include "keyboard/key_layouts.h"
#include "platform/platform.h"

namespace {

const TransposeItem* findItem(int32_t id) {
  for (const TransposeItem& t : kTransposeItems) {
    if (t.id == id) return &t;
  }
  return nullptr;
}

// Any layout id but Chromatic transposes as Piano does.
bool chromatic(int32_t layoutId) { return layoutId == kChromatic; }
int32_t stepOf(int32_t layoutId) { return octaveStep(layoutTable(layoutId)); }
bool offered(const TransposeItem& item, int32_t layoutId) { return !chromatic(layoutId) || item.offeredInChromatic; }
int32_t transpositionOf(const TransposeItem& item, int32_t layoutId) { return (item.id - cmd::kNoTranspose) * stepOf(layoutId); }

}  // namespace

void setTranspose(int32_t commandId) {
  const TransposeItem* item = findItem(commandId);
  if (item == nullptr) return;
  for (int32_t id : {cmd::kTransposeDown1, cmd::kTransposeDown2, cmd::kNoTranspose, cmd::kTransposeUp1,
                     cmd::kTransposeUp2}) {
    plat::menuCheck(id, false);
  }
  const int32_t layout = app.settings.layout;
  if (offered(*item, layout)) app.settings.transpose = transpositionOf(*item, layout);
  // Checked even when not offered: a command that arrives for a greyed item still moves the mark.
  plat::menuCheck(commandId, true);
}

void relabelTransposeItems(int32_t layoutId) {
  // The order of replacement is 114, 112, 115, 111; "No Transpose" never changes.
  for (int32_t id : {cmd::kTransposeUp1, cmd::kTransposeDown1, cmd::kTransposeUp2, cmd::kTransposeDown2}) {
    const TransposeItem* item = findItem(id);
    plat::menuSetItem(id, chromatic(layoutId) ? item->chromaticText : item->text, !offered(*item, layoutId));
  }
}

int32_t startupTransposeItem(int32_t layoutId, int32_t transpose) {
  int64_t id = int64_t{cmd::kNoTranspose} + transpose / stepOf(layoutId);  // truncating toward zero
  return (id >= cmd::kTransposeDown2 && id <= cmd::kTransposeUp2) ? static_cast<int32_t>(id) : 0;
}

int32_t transposeItemToward(int32_t layoutId, int32_t transpose, bool up) {
  // The items run from the lowest transposition to the highest.
  int32_t found = 0;
  for (const TransposeItem& item : kTransposeItems) {
    if (!offered(item, layoutId)) continue;
    const int32_t value = transpositionOf(item, layoutId);
    if (up && value > transpose) return item.id;
    if (!up && value < transpose) found = item.id;
  }
  return found;
}
