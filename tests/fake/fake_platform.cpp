#include "fake/fake_platform.h"

#include <algorithm>
#include <concepts>
#include <cstdio>
#include <cstring>

#include "base/app_state.h"
#include "base/short_message.h"
#include "platform/events.h"

namespace fake {
namespace {

Script gScript;
World gWorld;
int32_t gClientWidth = -1;  // last client size told to the core; -1 before the first
int32_t gClientHeight = -1;

// A line is made only when it is kept: a run that keeps the model only (the soak, the fuzzer, the
// benchmarks) would otherwise spend most of its time writing text it throws away.
template <std::invocable MakeLine>
void log(MakeLine&& makeLine) {
  if (gScript.recordCalls) gWorld.calls.push_back(makeLine());
}

void log(const char* line) {
  if (gScript.recordCalls) gWorld.calls.push_back(line);
}

void noteCoordinates(std::initializer_list<int64_t> values) {
  for (int64_t v : values) gWorld.largestCoordinate = std::max(gWorld.largestCoordinate, v < 0 ? -v : v);
}

void noteRect(const Rect& r) { noteCoordinates({r.left, r.top, r.right, r.bottom}); }

std::string num(int64_t v) { return std::to_string(v); }

std::string rectText(const Rect& r) {
  return num(r.left) + " " + num(r.top) + " " + num(r.right) + " " + num(r.bottom);
}

const char* boxStyleName(plat::BoxStyle s) {
  switch (s) {
    case plat::BoxStyle::ErrorOk: return "error-ok";
    case plat::BoxStyle::WarningOk: return "warning-ok";
    case plat::BoxStyle::WarningRetryCancel: return "warning-retry-cancel";
    case plat::BoxStyle::PlainOk: return "plain-ok";
  }
  return "?";
}

std::string escaped(const char* text) {
  std::string out;
  for (const char* p = text; p != nullptr && *p != '\0'; ++p) out += (*p == '\n') ? std::string("\\n") : std::string(1, *p);
  return out;
}

void buildMenuModel() {
  gWorld.menu.clear();
  for (const MenuEntry& e : menuTable()) {
    if (e.kind == MenuKind::Item) gWorld.menu[e.id] = MenuItemState{e.text, e.checked, false};
  }
}

int32_t barIndex(plat::Bar bar) { return static_cast<int32_t>(bar); }

std::size_t copyCut(const std::string& source, char* buffer, std::size_t capacity) {
  if (capacity == 0) return 0;
  std::size_t n = std::min(source.size(), capacity - 1);
  std::memcpy(buffer, source.data(), n);
  buffer[n] = '\0';
  return n;
}

}  // namespace

Script& script() { return gScript; }
World& world() { return gWorld; }

void reset() {
  gScript = Script{};
  gWorld = World{};
  gClientWidth = -1;
  gClientHeight = -1;
  resetAppState();
  buildMenuModel();
}

void restart() {
  auto files = std::move(gWorld.files);
  reset();
  gWorld.files = std::move(files);
}

std::vector<std::string> callsOf(const std::string& op) {
  std::vector<std::string> out;
  for (const std::string& c : gWorld.calls) {
    if (c == op || c.rfind(op + " ", 0) == 0) out.push_back(c);
  }
  return out;
}

void clearLog() {
  gWorld.calls.clear();
  gWorld.sent.clear();
  gWorld.sentTo.clear();
}

std::string triple(uint32_t word) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02X %02X %02X", static_cast<unsigned>(word & 0xFFu),
                static_cast<unsigned>((word >> 8) & 0xFFu), static_cast<unsigned>((word >> 16) & 0xFFu));
  return buf;
}

std::vector<std::string> sentTriples() {
  std::vector<std::string> out;
  for (uint32_t w : gWorld.sent) out.push_back(triple(w));
  return out;
}

bool isChecked(int32_t id) {
  auto it = gWorld.menu.find(id);
  return it != gWorld.menu.end() && it->second.checked;
}

std::string itemText(int32_t id) {
  auto it = gWorld.menu.find(id);
  return it == gWorld.menu.end() ? std::string() : it->second.text;
}

bool isGrayed(int32_t id) {
  auto it = gWorld.menu.find(id);
  return it != gWorld.menu.end() && it->second.grayed;
}

std::vector<int32_t> checkedIn(int32_t first, int32_t last) {
  std::vector<int32_t> out;
  for (const auto& [id, item] : gWorld.menu) {
    if (id >= first && id <= last && item.checked) out.push_back(id);
  }
  return out;
}

}  // namespace fake

using fake::gClientHeight;
using fake::gClientWidth;
using fake::gScript;
using fake::gWorld;

namespace plat {

// ---- MIDI --------------------------------------------------------------------------------

namespace {

const std::string kMapperIdentity = "(mapper)";

std::vector<fake::FakeDevice> scriptedDevices() {
  if (!gScript.devices.empty()) return gScript.devices;
  std::vector<fake::FakeDevice> out;
  for (int32_t n = 0; n < gScript.deviceCount; ++n) out.push_back({"Synth " + fake::num(n), ""});
  return out;
}

std::string identityOf(const fake::FakeDevice& d) { return d.identity.empty() ? d.name : d.identity; }

const std::vector<fake::FakeDevice>& listedDevices() {
  if (!gWorld.counted) gWorld.listed = scriptedDevices();
  return gWorld.listed;
}

}  // namespace

int32_t midiOutCount() {
  fake::log("midiOutCount");
  gWorld.listed = scriptedDevices();
  // As a real platform promises: an open device stays listed until it is closed.
  for (const auto& [handle, device] : gWorld.openPorts) {
    if (identityOf(device) == kMapperIdentity) continue;
    bool listed = false;
    for (const auto& d : gWorld.listed) listed = listed || identityOf(d) == identityOf(device);
    if (!listed) gWorld.listed.push_back(device);
  }
  gWorld.counted = true;
  return static_cast<int32_t>(gWorld.listed.size());
}

bool midiOutProductName(int32_t deviceId, char (&name)[kDeviceNameSize]) {
  fake::log([&] { return "midiOutProductName " + fake::num(deviceId); });
  const auto& devices = listedDevices();
  std::string text;
  if (deviceId == -1) {
    if (!gScript.mapperPresent) return false;
    text = "MIDI Mapper";
  } else if (deviceId >= 0 && static_cast<std::size_t>(deviceId) < devices.size()) {
    text = devices[static_cast<std::size_t>(deviceId)].name;
  } else {
    return false;
  }
  fake::copyCut(text, name, sizeof name);
  return true;
}

bool midiOutOpen(int32_t deviceId, MidiHandle& handle) {
  fake::log([&] { return "midiOutOpen " + fake::num(deviceId); });
  const auto& devices = listedDevices();
  fake::FakeDevice device{"MIDI Mapper", kMapperIdentity};
  if (deviceId >= 0 && static_cast<std::size_t>(deviceId) < devices.size()) {
    device = devices[static_cast<std::size_t>(deviceId)];
  } else if (deviceId != -1 || !gScript.mapperPresent) {
    return false;
  }
  if (gScript.failingOpens.count(deviceId) != 0) return false;
  handle = gWorld.nextHandle++;
  gWorld.openPorts[handle] = device;
  return true;
}

bool midiOutDeviceId(MidiHandle handle, int32_t& deviceId) {
  fake::log("midiOutDeviceId");
  auto port = gWorld.openPorts.find(handle);
  if (port == gWorld.openPorts.end()) return false;
  if (identityOf(port->second) == kMapperIdentity) {
    deviceId = -1;
    return true;
  }
  const auto& devices = listedDevices();
  for (std::size_t i = 0; i < devices.size(); ++i) {
    if (identityOf(devices[i]) == identityOf(port->second)) {
      deviceId = static_cast<int32_t>(i);
      return true;
    }
  }
  return false;
}

void midiOutSend(MidiHandle handle, uint32_t word) {
  fake::log([&] { return "midiOutSend " + fake::triple(word); });
  if (gWorld.openPorts.count(handle) == 0) {
    ++gWorld.sendsOnClosedPort;
    return;
  }
  gWorld.sent.push_back(word);
  gWorld.sentTo.push_back(handle);
}

void midiOutClose(MidiHandle handle) {
  fake::log("midiOutClose");
  gWorld.openPorts.erase(handle);
}

// ---- Menus -------------------------------------------------------------------------------

void menuCheck(int32_t id, bool checked) {
  fake::log([&] { return "menuCheck " + fake::num(id) + (checked ? " on" : " off"); });
  auto it = gWorld.menu.find(id);
  if (it != gWorld.menu.end()) it->second.checked = checked;
}

void menuSetItem(int32_t id, const char* text, bool grayed) {
  fake::log([&] { return "menuSetItem " + fake::num(id) + " " + text + (grayed ? " grayed" : ""); });
  auto it = gWorld.menu.find(id);
  if (it != gWorld.menu.end()) it->second = fake::MenuItemState{text, false, grayed};
}

void menuAppendDevice(int32_t id, const char* text) {
  fake::log([&] { return "menuAppendDevice " + fake::num(id) + " " + text; });
  gWorld.menu[id] = fake::MenuItemState{text, false, false};
  gWorld.deviceItems.push_back(id);
}

void menuRemoveDevices() {
  fake::log("menuRemoveDevices");
  for (int32_t id : gWorld.deviceItems) gWorld.menu.erase(id);
  gWorld.deviceItems.clear();
}

// ---- Dialogs -----------------------------------------------------------------------------

void beep(BeepKind kind) {
  fake::log([&] { return std::string("beep ") + (kind == BeepKind::Error ? "error" : "warning"); });
}

BoxAnswer messageBox(const char* text, BoxStyle style) {
  fake::log([&] { return std::string("messageBox ") + fake::boxStyleName(style) + " " + fake::escaped(text); });
  if (!gScript.boxAnswers.empty()) {
    BoxAnswer a = gScript.boxAnswers.front();
    gScript.boxAnswers.erase(gScript.boxAnswers.begin());
    return a;
  }
  return style == BoxStyle::WarningRetryCancel ? BoxAnswer::Cancel : BoxAnswer::Ok;
}

// ---- Window ------------------------------------------------------------------------------

Rect windowRect() {
  fake::log("windowRect");
  return gScript.minimised ? gScript.minimisedRect : gWorld.window;
}

Rect windowNormalRect() {
  fake::log("windowNormalRect");
  return gWorld.window;
}

int32_t screenWorkAreas(Rect* areas, int32_t capacity) {
  int32_t n = static_cast<int32_t>(gScript.workAreas.size());
  for (int32_t i = 0; i < n && i < capacity; ++i) areas[i] = gScript.workAreas[static_cast<std::size_t>(i)];
  return n;
}

void windowMove(int32_t left, int32_t top, int32_t width, int32_t height, bool repaint) {
  fake::log([&] {
    return "windowMove " + fake::num(left) + " " + fake::num(top) + " " + fake::num(width) + " " + fake::num(height) +
           (repaint ? " repaint" : "");
  });
  if (gWorld.destroyed) return;
  fake::noteCoordinates({left, top, width, height});
  // A window system limits sizes to what a window can have: nothing negative, nothing huge.
  auto limit = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, 0, 32767)); };
  width = limit(width);
  height = limit(height);
  gWorld.window = Rect{left, top, static_cast<int32_t>(std::clamp<int64_t>(int64_t{left} + width, INT32_MIN, INT32_MAX)),
                       static_cast<int32_t>(std::clamp<int64_t>(int64_t{top} + height, INT32_MIN, INT32_MAX))};
  // As a window system does, a change of client size is told to the window at once.
  int32_t cw = limit(int64_t{width} - gScript.frameWidth);
  int32_t ch = limit(int64_t{height} - gScript.frameHeight - gScript.menuHeight);
  if (cw != gClientWidth || ch != gClientHeight) {
    gClientWidth = cw;
    gClientHeight = ch;
    applyClientSize(static_cast<uint16_t>(cw), static_cast<uint16_t>(ch));
  }
}

void windowSetTopmost(bool topmost) {
  fake::log([&] { return std::string("windowSetTopmost ") + (topmost ? "on" : "off"); });
  gWorld.topmost = topmost;
}

void windowDestroy() {
  fake::log("windowDestroy");
  if (gWorld.destroyed) return;
  gWorld.destroyed = true;
  onDestroy();
}

void windowClose() {
  fake::log("windowClose");
  windowDestroy();
}

void postQuit(int32_t exitCode) {
  fake::log([&] { return "postQuit " + fake::num(exitCode); });
  gWorld.quitPosted = true;
  gWorld.exitCode = exitCode;
}

int32_t menuBarHeight() { return gScript.menuHeight; }

void invalidateClient() { fake::log("invalidateClient"); }

// ---- Timer -------------------------------------------------------------------------------

bool timerStart(int32_t id, int32_t periodMs) {
  fake::log([&] { return "timerStart " + fake::num(id) + " " + fake::num(periodMs); });
  if (gScript.timerFailures > 0) {
    --gScript.timerFailures;
    return false;
  }
  gWorld.timerRunning = true;
  return true;
}

void timerStop(int32_t id) {
  fake::log([&] { return "timerStop " + fake::num(id); });
  gWorld.timerRunning = false;
}

// ---- Mouse -------------------------------------------------------------------------------

void mouseCapture() {
  fake::log("mouseCapture");
  gWorld.captured = true;
}

void mouseRelease() {
  fake::log("mouseRelease");
  bool held = gWorld.captured;
  gWorld.captured = false;
  // As a real window system does, the window that held the capture is told it has lost it, even
  // when it let go itself.
  if (held) onMouseCaptureLost();
}

// ---- Drawing -----------------------------------------------------------------------------

Surface surfaceGet() {
  Surface s = gWorld.nextSurface++;
  fake::log([&] { return "surfaceGet " + fake::num(static_cast<int64_t>(s)); });
  ++gWorld.liveSurfaces;
  gWorld.selectedFont[s] = 0;
  return s;
}

void surfaceRelease(Surface s) {
  fake::log([&] { return "surfaceRelease " + fake::num(static_cast<int64_t>(s)); });
  --gWorld.liveSurfaces;
  gWorld.selectedFont.erase(s);
}

Surface paintBegin() {
  Surface s = gWorld.nextSurface++;
  fake::log([&] { return "paintBegin " + fake::num(static_cast<int64_t>(s)); });
  ++gWorld.liveSurfaces;
  gWorld.selectedFont[s] = 0;
  return s;
}

void paintEnd(Surface s) {
  fake::log([&] { return "paintEnd " + fake::num(static_cast<int64_t>(s)); });
  --gWorld.liveSurfaces;
  gWorld.selectedFont.erase(s);
}

Font fontCreate(int32_t height, int32_t width, int32_t weight) {
  Font f = gWorld.nextFont++;
  fake::log([&] { return "fontCreate " + fake::num(height) + " " + fake::num(width) + " " + fake::num(weight); });
  gWorld.liveFonts.insert(f);
  gWorld.fontSizes[f] = TextSize{static_cast<int32_t>(width * gScript.fontScale), static_cast<int32_t>(height * gScript.fontScale)};
  return f;
}

Font fontSelect(Surface s, Font font) {
  fake::log([&] { return "fontSelect " + fake::num(static_cast<int64_t>(font)); });
  Font previous = gWorld.selectedFont[s];
  gWorld.selectedFont[s] = font;
  return previous;
}

void fontDelete(Font font) {
  fake::log([&] { return "fontDelete " + fake::num(static_cast<int64_t>(font)); });
  gWorld.liveFonts.erase(font);
}

TextSize textExtent(Surface s, const char* text) {
  fake::log([&] { return std::string("textExtent ") + text; });
  Font f = gWorld.selectedFont[s];
  if (f == 0) return gScript.systemM;
  TextSize size = gWorld.fontSizes[f];
  return TextSize{2 * size.width + 1, size.height};
}

void fillRect(Surface, const Rect& r, Brush brush) {
  fake::noteRect(r);
  fake::log([&] { return "fillRect " + fake::rectText(r) + (brush == Brush::Black ? " black" : " white"); });
}

void frameRect(Surface, const Rect& r, Brush brush) {
  fake::noteRect(r);
  fake::log([&] { return "frameRect " + fake::rectText(r) + (brush == Brush::Black ? " black" : " white"); });
}

void drawCentredText(Surface, const char* text, const Rect& r, Colour textColour, Colour background) {
  fake::noteRect(r);
  fake::log([&] {
    return std::string("drawText \"") + text + "\" " + fake::rectText(r) +
           (textColour == Colour::Black ? " black" : " white") + (background == Colour::Black ? "/black" : "/white");
  });
}

// ---- Bars --------------------------------------------------------------------------------

void barCreate(Bar bar, bool vertical) {
  fake::log([&] { return "barCreate " + fake::num(fake::barIndex(bar)) + (vertical ? " vertical" : " horizontal"); });
  fake::BarState& b = gWorld.bars[fake::barIndex(bar)];
  b = fake::BarState{};
  b.exists = true;
  b.vertical = vertical;
}

void barSetRange(Bar bar, int32_t minimum, int32_t maximum, bool redraw) {
  fake::log([&] {
    return "barSetRange " + fake::num(fake::barIndex(bar)) + " " + fake::num(minimum) + " " + fake::num(maximum) +
           (redraw ? " redraw" : "");
  });
  gWorld.bars[fake::barIndex(bar)].minimum = minimum;
  gWorld.bars[fake::barIndex(bar)].maximum = maximum;
}

void barSetPosition(Bar bar, int32_t position, bool redraw) {
  fake::log([&] {
    return "barSetPosition " + fake::num(fake::barIndex(bar)) + " " + fake::num(position) + (redraw ? " redraw" : "");
  });
  gWorld.bars[fake::barIndex(bar)].position = position;
}

void barSetTip(Bar bar, const char* text) {
  fake::log([&] { return "barSetTip " + fake::num(fake::barIndex(bar)) + " " + text; });
  gWorld.bars[fake::barIndex(bar)].tip = text;
}

void barShow(Bar bar, bool visible) {
  fake::log([&] { return "barShow " + fake::num(fake::barIndex(bar)) + (visible ? " on" : " off"); });
  gWorld.bars[fake::barIndex(bar)].visible = visible;
}

void barMove(Bar bar, int32_t x, int32_t y, int32_t width, int32_t height) {
  fake::noteCoordinates({x, y, int64_t{x} + width, int64_t{y} + height});
  fake::log([&] {
    return "barMove " + fake::num(fake::barIndex(bar)) + " " + fake::num(x) + " " + fake::num(y) + " " +
           fake::num(width) + " " + fake::num(height);
  });
  gWorld.bars[fake::barIndex(bar)].place = Rect{x, y, x + width, y + height};
}

void focusMainWindow() { fake::log("focusMainWindow"); }

// ---- Help, web, locations ----------------------------------------------------------------

void helpOpenContents(const char* path) { fake::log([&] { return std::string("helpOpenContents ") + path; }); }
void helpOpenOwnHelp() { fake::log("helpOpenOwnHelp"); }
void helpQuit(const char* path) { fake::log([&] { return std::string("helpQuit ") + path; }); }
void openUrl(const char* url) { fake::log([&] { return std::string("openUrl ") + url; }); }

std::size_t executablePath(char* buffer, std::size_t capacity) {
  return fake::copyCut(gScript.executablePath, buffer, capacity);
}

std::size_t settingsBasePath(char* buffer, std::size_t capacity) {
  const std::string& base = gScript.settingsBasePath.empty() ? gScript.executablePath : gScript.settingsBasePath;
  return fake::copyCut(base, buffer, capacity);
}

std::size_t settingsFallbackBasePath(char* buffer, std::size_t capacity) {
  return fake::copyCut(gScript.settingsFallbackBasePath, buffer, capacity);
}

// ---- Files -------------------------------------------------------------------------------

std::size_t fileReadSmall(const char* path, uint8_t* buffer, std::size_t capacity) {
  fake::log([&] { return std::string("fileReadSmall ") + path; });
  auto it = gWorld.files.find(path);
  if (it == gWorld.files.end()) return 0;
  std::size_t n = std::min(capacity, it->second.size());
  std::copy_n(it->second.begin(), n, buffer);
  return n;
}

bool fileReplace(const char* path, const uint8_t* bytes, std::size_t size) {
  fake::log([&] { return std::string("fileReplace ") + path; });
  if (gScript.failReplace) return false;
  gWorld.files[path].assign(bytes, bytes + size);
  return true;
}

}  // namespace plat
