// The real Windows front end under Wine: what the window system reports reaches the core as it
// should, and what the core asks for happens to the right native objects, and to nothing else.
#include <windows.h>
// after windows.h, which it builds on
#include <commctrl.h>
#include <imm.h>

#include <fstream>
#include <iterator>

#include "base/commands.h"
#include "display/key_geometry.h"
#include "keyboard/key_layouts.h"
#include "win32_fixture.h"

namespace {

constexpr LPARAM kQDown = 0x00100001;  // scan code 0x10, as Wine delivers Q
constexpr LPARAM kQRepeat = 0x40100001;
constexpr LPARAM kQUp = static_cast<LPARAM>(0xC0100001u);
constexpr uint32_t kQOn = 0x00643790;   // note on, channel 1, G 55, velocity 100
constexpr uint32_t kQOff = 0x00403780;

std::vector<uint32_t> wordsSince(std::size_t first) {
  std::vector<uint32_t> all = sentWords();
  return std::vector<uint32_t>(all.begin() + static_cast<std::ptrdiff_t>(std::min(first, all.size())), all.end());
}

HWND otherWindow(int x, int y) {
  return CreateWindowExA(0, "STATIC", "elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 120, 90, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

std::string renderMenu(HMENU menu, int depth) {
  std::string out;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[256] = "";
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
    const std::string indent(2 * static_cast<std::size_t>(depth), ' ');
    if ((info.fType & MFT_SEPARATOR) != 0) {
      out += indent + "----\n";
    } else if (info.hSubMenu != nullptr) {
      out += indent + text + "\n" + renderMenu(info.hSubMenu, depth + 1);
    } else {
      out += indent + text + "  #" + std::to_string(info.wID);
      if ((info.fState & MFS_CHECKED) != 0) out += "  [checked]";
      if ((info.fState & MFS_GRAYED) != 0) out += "  [grey]";
      out += "\n";
    }
  }
  return out;
}

TEST_F(Win32Test, TheMenuBarIsTheResourceWithTheDevicesOfWinmmAppended) {
  ASSERT_NE(LoadMenuA(GetModuleHandleA(nullptr), "Plinkett"), nullptr) << "no menu resource named Plinkett";
  start();
  std::ifstream in(PLINKETT_MENU_GOLDEN);
  ASSERT_TRUE(in) << PLINKETT_MENU_GOLDEN;
  const std::string golden{std::istreambuf_iterator<char>(in), {}};
  // The recording winmm names its mapper and devices as the golden file's fake platform does.
  EXPECT_EQ(renderMenu(GetMenu(frontEnd().window), 0), golden);
}

std::wstring menuText(int32_t commandId) {
  wchar_t text[64] = L"";
  GetMenuStringW(GetMenu(frontEnd().window), static_cast<UINT>(commandId), text, 64, MF_BYCOMMAND);
  return text;
}

TEST_F(Win32Test, ADeviceNameIsShownAsItIsInAnyScriptAndTheMapperIsAskedForByItsUnsignedId) {
  // "R&B Синт", and a name of 31 Cyrillic letters, as long as a driver's name can be (62 bytes).
  const std::wstring russian = L"R&B \u0421\u0438\u043D\u0442";
  const std::wstring longName(31, L'\u0416');
  SetEnvironmentVariableW(L"PLINKETT_WINMM_NAMES", (L"Mapper & Co;" + russian + L";" + longName).c_str());
  start();
  EXPECT_EQ(menuText(cmd::kMapperDevice), L"Mapper && Co");
  EXPECT_EQ(menuText(cmd::kFirstDevice), L"R&&B \u0421\u0438\u043D\u0442");
  EXPECT_EQ(menuText(cmd::kFirstDevice + 1), longName) << "shown whole, every letter";
  EXPECT_EQ(midiCalls().at(1), "midiOutGetDevCapsW 0xFFFFFFFF 84 -> 0 \"Mapper & Co\"");
  // Chosen, the device is remembered by its name as the system gives it.
  send(WM_COMMAND, cmd::kFirstDevice);
  EXPECT_EQ(std::string(app.midi.deviceName), "R&B \xD0\xA1\xD0\xB8\xD0\xBD\xD1\x82");
}

std::vector<std::string> itemTexts(HMENU menu) {
  std::vector<std::string> texts;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[64] = "";
    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    texts.emplace_back(text);
  }
  return texts;
}

std::size_t countsOfDevices() {
  std::size_t n = 0;
  for (const std::string& call : midiCalls()) n += call.rfind("midiOutGetNumDevs", 0) == 0 ? 1 : 0;
  return n;
}

TEST_F(Win32Test, TheDevicesAreCountedAgainEachTimeTheirMenuOpens) {
  start();
  HMENU bar = GetMenu(frontEnd().window);
  HMENU devices = GetSubMenu(bar, 1);
  SetEnvironmentVariableA("PLINKETT_WINMM_NAMES", "MIDI Mapper;Synth 0;Synth 1;Synth 2");
  const std::size_t counted = countsOfDevices();
  send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(bar, 2)), MAKELPARAM(2, FALSE));
  EXPECT_EQ(countsOfDevices(), counted) << "another menu opened";
  send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(devices), MAKELPARAM(1, FALSE));
  EXPECT_EQ(itemTexts(devices), (std::vector<std::string>{"&Active", "", "MIDI Mapper", "Synth 0", "Synth 1", "Synth 2"}));
  SetEnvironmentVariableA("PLINKETT_WINMM_NAMES", "MIDI Mapper;Synth 1");
  send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(devices), MAKELPARAM(1, FALSE));
  EXPECT_EQ(itemTexts(devices), (std::vector<std::string>{"&Active", "", "MIDI Mapper", "Synth 1"}));
  EXPECT_NE(GetMenuState(devices, cmd::kMapperDevice, MF_BYCOMMAND) & MF_CHECKED, 0u);
}

TEST_F(Win32Test, AnOpenPortKnowsWhichDeviceItIs) {
  start();
  int32_t id = 5;
  EXPECT_TRUE(plat::midiOutDeviceId(app.midi.port, id));
  EXPECT_EQ(id, -1) << "opened as the mapper";
  send(WM_COMMAND, cmd::kFirstDevice + 1);
  const plat::MidiHandle port = app.midi.port;
  EXPECT_TRUE(plat::midiOutDeviceId(port, id));
  EXPECT_EQ(id, 1);
  send(WM_COMMAND, cmd::kActive);  // closes it
  EXPECT_FALSE(plat::midiOutDeviceId(port, id));
}

TEST_F(Win32Test, KeyMessagesCarryScanCodeRepeatBitAndShiftAsOfTheMessage) {
  start();
  const std::size_t opened = sentWords().size();
  send(WM_KEYDOWN, 'Q', kQDown);
  send(WM_KEYDOWN, 'Q', kQRepeat);
  send(WM_KEYUP, 'Q', kQUp);
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  send(WM_KEYDOWN, 'Q', kQDown);
  // Let go with Alt (and Shift) held: a system key, whose release still ends the note.
  send(WM_SYSKEYUP, 'Q', static_cast<LPARAM>(0xE0100001u));
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(wordsSince(opened), (std::vector<uint32_t>{kQOn, kQOff, 0x00644390, 0x00404380}));
}

TEST_F(Win32Test, TheFocusMovingToOurBarKeepsNotesAndLeavingTheWindowEndsThem) {
  start();
  SetFocus(frontEnd().window);
  send(WM_KEYDOWN, 'Q', kQDown);
  SetFocus(frontEnd().bars[static_cast<int>(plat::Bar::Velocity)]);  // what a click on the bar does
  SetFocus(frontEnd().window);
  EXPECT_EQ(sentWords().back(), kQOn);
  HWND other = otherWindow(600, 400);
  SetFocus(other);
  EXPECT_EQ(sentWords().back(), kQOff);
  DestroyWindow(other);
}

TEST_F(Win32Test, AMenuTakingTheKeyboardEndsTheHeldNoteOnce) {
  start();
  SetFocus(frontEnd().window);
  send(WM_KEYDOWN, 'Q', kQDown);
  const std::size_t held = sentWords().size();
  send(WM_ENTERMENULOOP, FALSE);  // Alt+F, F10 or a click on the menu bar
  EXPECT_EQ(wordsSince(held), std::vector<uint32_t>{kQOff});
  send(WM_EXITMENULOOP, FALSE);
  send(WM_KEYUP, 'Q', kQUp);  // let go after the menu closed
  EXPECT_EQ(wordsSince(held).size(), 1u) << "the note ended once";
}

TEST_F(Win32Test, TheKeyboardWindowHasNoInputMethod) {
  start();
  EXPECT_EQ(ImmGetContext(frontEnd().window), nullptr);
}

TEST_F(Win32Test, AScaleChangeMakesTheKeysGrowAndTakesTheSuggestedRectangle) {
  start();
  const int32_t cellHeight = app.geometry.charHeight;
  LOGFONTW before{};
  GetObjectW(reinterpret_cast<HFONT>(app.fonts.normal), sizeof before, &before);
  const int32_t menuHeight = plat::menuBarHeight();
  RECT suggested{40, 50, 700, 420};
  send(WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  LOGFONTW after{};
  ASSERT_EQ(GetObjectW(reinterpret_cast<HFONT>(app.fonts.normal), sizeof after, &after), static_cast<int>(sizeof after));
  EXPECT_EQ(after.lfHeight * 2, before.lfHeight * 3);
  EXPECT_NEAR(app.geometry.charHeight, cellHeight * 1.5, 1.0);
  EXPECT_GT(plat::menuBarHeight(), menuHeight);
  EXPECT_EQ(plat::windowRect(), (Rect{40, 50, 700, 420}));
  RECT client{};
  GetClientRect(frontEnd().window, &client);
  EXPECT_EQ(app.geometry.clientWidth, client.right) << "the keys placed for the new size";
}

TEST_F(Win32Test, ACaptureTakenAwayEndsTheMouseNote) {
  start();
  const KeySlot& slotQ = currentLayout()[0x10];
  const Rect q = keyRect(slotQ.row, slotQ.column);
  const LPARAM at = MAKELPARAM((q.left + q.right) / 2, (q.top + q.bottom) / 2);
  send(WM_LBUTTONDOWN, MK_LBUTTON, at);
  EXPECT_EQ(GetCapture(), frontEnd().window);
  EXPECT_EQ(sentWords().back(), kQOn);
  HWND other = otherWindow(600, 400);
  SetCapture(other);
  EXPECT_EQ(sentWords().back(), kQOff);
  ReleaseCapture();
  const std::size_t ended = sentWords().size();
  send(WM_LBUTTONUP, 0, at);
  EXPECT_EQ(sentWords().size(), ended) << "the note ended once";
  DestroyWindow(other);
}

TEST_F(Win32Test, ClosingWithANoteHeldSendsTheShutdownSequenceAlone) {
  start();
  SetFocus(frontEnd().window);
  send(WM_KEYDOWN, 'Q', kQDown);
  const std::size_t held = sentWords().size();
  send(WM_CLOSE);  // hides the window first: the focus leaves it while it goes away
  pump();
  EXPECT_EQ(frontEnd().window, nullptr);
  EXPECT_TRUE(quitSeen_);
  EXPECT_EQ(exitCode_, 0u);
  std::vector<uint32_t> expected;
  for (uint32_t channel = 0; channel < 16; ++channel) expected.push_back(0x00007BB0 + channel);
  EXPECT_EQ(wordsSince(held), expected);
  EXPECT_EQ(midiCalls().back(), "midiOutClose 0x7F00 -> 0");
  std::ifstream saved(settingsPath(), std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(saved), {}};
  ASSERT_EQ(bytes.size(), 64u);
  EXPECT_EQ(bytes[40], 1) << "saved while the mapper was still open";
}

TEST_F(Win32Test, TheSessionEndingClosesAsTheCloseBoxDoes) {
  start();
  send(WM_KEYDOWN, 'Q', kQDown);
  const std::size_t held = sentWords().size();
  send(WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(frontEnd().window, nullptr);
  EXPECT_EQ(wordsSince(held).size(), 16u) << "all notes off on every channel";
  EXPECT_EQ(midiCalls().back(), "midiOutClose 0x7F00 -> 0");
  EXPECT_NE(GetFileAttributesA(settingsPath().c_str()), INVALID_FILE_ATTRIBUTES) << "the settings were saved";
}

TEST_F(Win32Test, AfterExitNoServiceReachesAnyWindow) {
  HWND probe = otherWindow(600, 400);
  start();
  UpdateWindow(probe);
  pump();
  ASSERT_FALSE(GetUpdateRect(probe, nullptr, FALSE));
  send(WM_COMMAND, cmd::kExit);  // the command path still asks for a repaint afterwards
  EXPECT_EQ(frontEnd().window, nullptr);
  plat::invalidateClient();
  plat::windowMove(0, 0, 50, 50, true);
  plat::barMove(plat::Bar::Velocity, 0, 0, 10, 10);
  plat::menuCheck(cmd::kActive, true);
  plat::focusMainWindow();
  plat::mouseCapture();
  EXPECT_EQ(plat::surfaceGet(), 0u) << "a surface of no window is the whole screen's";
  EXPECT_EQ(plat::windowRect(), Rect{});
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(GetUpdateRect(probe, nullptr, FALSE)) << "a repaint reached another window";
  DestroyWindow(probe);
}

TEST_F(Win32Test, TheRestoredRectangleIsInScreenCoordinates) {
  // A taskbar at the top, then one at the left: workspace (0, 0) is the work area's corner.
  const RECT monitor{0, 0, 1920, 1080};
  EXPECT_EQ(screenFromWorkspace(RECT{100, 100, 500, 300}, monitor, RECT{0, 40, 1920, 1080}), (Rect{100, 140, 500, 340}));
  EXPECT_EQ(screenFromWorkspace(RECT{100, 100, 500, 300}, RECT{1920, 0, 3840, 1080}, RECT{1980, 0, 3840, 1080}),
            (Rect{160, 100, 560, 300}));
  start();
  const Rect restored = plat::windowRect();
  ShowWindow(frontEnd().window, SW_MINIMIZE);
  pump();
  EXPECT_NE(plat::windowRect(), restored);
  EXPECT_EQ(plat::windowNormalRect(), restored);
  ShowWindow(frontEnd().window, SW_MAXIMIZE);
  pump();
  EXPECT_EQ(plat::windowNormalRect(), restored);
}

TEST_F(Win32Test, KeyFontsAreProportionalSansSerifInTheAnsiSet) {
  const plat::Font font = plat::fontCreate(16, 5, 700);
  LOGFONTA lf{};
  ASSERT_EQ(GetObjectA(reinterpret_cast<HFONT>(font), sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_EQ(lf.lfHeight, 16);
  EXPECT_EQ(lf.lfWidth, 5);
  EXPECT_EQ(lf.lfWeight, 700);
  EXPECT_EQ(lf.lfCharSet, 0);
  EXPECT_EQ(lf.lfPitchAndFamily, 0x22);
  EXPECT_EQ(lf.lfItalic + lf.lfUnderline + lf.lfStrikeOut + lf.lfEscapement + lf.lfQuality, 0);
  EXPECT_STREQ(lf.lfFaceName, "");
  plat::fontDelete(font);
}

TEST_F(Win32Test, TheBarsAreTabStopScrollBarsReportingToTheirOwnHandlers) {
  start();
  struct Expected {
    DWORD orientation;
    int minimum, maximum, position;
  };
  const Expected expected[3] = {{SBS_VERT, 1, 127, 28}, {SBS_HORZ, 0, 127, 0}, {SBS_VERT, 0, 16383, 8192}};
  for (int i = 0; i < 3; ++i) {
    HWND bar = frontEnd().bars[i];
    char className[32] = "";
    GetClassNameA(bar, className, sizeof className);
    EXPECT_STRCASEEQ(className, "scrollbar");
    const auto style = static_cast<DWORD>(GetWindowLongA(bar, GWL_STYLE));
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | WS_TABSTOP | SBS_VERT), WS_CHILD | WS_VISIBLE | WS_TABSTOP | expected[i].orientation) << i;
    EXPECT_EQ(GetDlgCtrlID(bar), i);
    RECT r{};
    GetClientRect(bar, &r);
    EXPECT_EQ(r.right * r.bottom, 0) << "unseen while the bars are switched off";
    int minimum = -1, maximum = -1;
    GetScrollRange(bar, SB_CTL, &minimum, &maximum);
    EXPECT_EQ(minimum, expected[i].minimum);
    EXPECT_EQ(maximum, expected[i].maximum);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), expected[i].position);
  }
  const std::size_t opened = sentWords().size();
  const auto barParam = [](plat::Bar b) { return reinterpret_cast<LPARAM>(frontEnd().bars[static_cast<int>(b)]); };
  send(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0), barParam(plat::Bar::PitchBend));  // top: bend 16383
  send(WM_VSCROLL, MAKEWPARAM(SB_PAGEUP, 0), barParam(plat::Bar::Velocity));        // velocity 108
  send(WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), barParam(plat::Bar::Modulation));    // modulation 1
  send(WM_KEYDOWN, 'Q', kQDown);
  EXPECT_EQ(wordsSince(opened), (std::vector<uint32_t>{0x007F7FE0, 0x000101B0, 0x006C3790}));
  EXPECT_EQ(GetScrollPos(frontEnd().bars[0], SB_CTL), 20);
  // Each bar's tip names the value its thumb stands for now.
  const char* tips[3] = {"Velocity: 108", "Modulation: 1", "Pitch bend: 16383"};
  for (int i = 0; i < 3; ++i) {
    char text[80] = "";
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = frontEnd().window;
    tool.uId = reinterpret_cast<UINT_PTR>(frontEnd().bars[i]);
    tool.lpszText = text;
    SendMessageA(frontEnd().tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, tips[i]);
  }
}

TEST_F(Win32Test, HelpWithNoHelpFileAndNoGuideSaysWhereTheGuideBelongs) {
  start();
  answerBoxes();
  send(WM_COMMAND, cmd::kHelpIndex);
  ASSERT_EQ(answeredBoxes().size(), 1u);
  EXPECT_EQ(answeredBoxes()[0].caption, "Plinkett Freeware");
  EXPECT_EQ(answeredBoxes()[0].text, "The user's guide could not be opened in a web browser.\n\nIt is the file\n" + testFolder() + "guide\\index.html");
}

TEST_F(Win32Test, AboutNamesTheWordSizeOfThisBuild) {
  start();
  answerBoxes();
  send(WM_COMMAND, cmd::kAbout);
  ASSERT_EQ(answeredBoxes().size(), 1u);
  EXPECT_EQ(answeredBoxes()[0].text.substr(0, answeredBoxes()[0].text.find('\n')), "Plinkett 2.04 (64 bit version)");
}

}  // namespace
