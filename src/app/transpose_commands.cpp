#include "app/transpose_commands.h"

#include "app/app_state.h"
#include <iterator>

#include "app/commands.h"
#include "keyboard/key_layouts.h"
#include "platform/platform.h"

namespace {

// One row per transposition item: its text and grey state, and the transposition it sets, for
// Piano/Accordion and for Chromatic (whose rows are one shift of 4 octaves apart).
struct TransposeItem {
  int32_t id;
  const char* text;
  int32_t octaves;
  const char* chromaticText;
  bool chromaticGrayed;
  int32_t chromaticOctaves;  // kUnchanged: the item sets nothing under Chromatic
};

constexpr int32_t kUnchanged = 0x7FFFFFFF;

constexpr TransposeItem kTransposeItems[] = {
    {cmd::kTransposeUp2,   "2 Up",         2,  "Not available", true,  kUnchanged},
    {cmd::kTransposeUp1,   "1 Up",         1,  "4 Up",          false, 4},
    {cmd::kNoTranspose,    "No Transpose", 0,  "No Transpose",  false, 0},
    {cmd::kTransposeDown1, "1 Down",       -1, "4 Down",        false, -4},
    {cmd::kTransposeDown2, "2 Down",       -2, "Not available", true,  kUnchanged},
};
static_assert(std::size(kTransposeItems) == cmd::kTransposeUp2 - cmd::kTransposeDown2 + 1);

const TransposeItem* findItem(int32_t id) {
  for (const TransposeItem& t : kTransposeItems) {
    if (t.id == id) return &t;
  }
  return nullptr;
}

}  // namespace

void setTranspose(int32_t commandId) {
  const TransposeItem* item = findItem(commandId);
  if (item == nullptr) return;
  for (int32_t id : {cmd::kTransposeDown1, cmd::kTransposeDown2, cmd::kNoTranspose, cmd::kTransposeUp1,
                     cmd::kTransposeUp2}) {
    plat::menuCheck(id, false);
  }
  if (app.settings.layout != kChromatic) {
    app.settings.transpose = item->octaves;
  } else if (item->chromaticOctaves != kUnchanged) {
    app.settings.transpose = item->chromaticOctaves;
  }
  plat::menuCheck(commandId, true);
  plat::invalidateClient();
}

void relabelTransposeItems(int32_t layoutId) {
  bool chromatic = layoutId == kChromatic;
  // The order of replacement is 114, 112, 115, 111; "No Transpose" never changes.
  for (int32_t id : {cmd::kTransposeUp1, cmd::kTransposeDown1, cmd::kTransposeUp2, cmd::kTransposeDown2}) {
    const TransposeItem* item = findItem(id);
    plat::menuSetItem(id, chromatic ? item->chromaticText : item->text, chromatic && item->chromaticGrayed);
  }
}

int32_t startupTransposeItem(int32_t layoutId, int32_t transpose) {
  int64_t steps = layoutId == kChromatic ? transpose / 4 : transpose;
  int64_t id = cmd::kNoTranspose + steps;
  return (id >= cmd::kTransposeDown2 && id <= cmd::kTransposeUp2) ? static_cast<int32_t>(id) : 0;
}
