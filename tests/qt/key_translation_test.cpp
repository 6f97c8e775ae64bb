// Native key events to the core's key messages.
#include <gtest/gtest.h>

#include <QKeyEvent>

#include "frontends/qt/qt_key_translation.h"

namespace {

constexpr quint32 kX11Q = 16 + 8;  // X keycodes are PC scan codes + 8

QKeyEvent event(QEvent::Type type, int key, Qt::KeyboardModifiers mods, quint32 code, bool autoRepeat = false) {
  return QKeyEvent(type, key, mods, code, 0, 0, QString(), autoRepeat);
}

TEST(KeyTranslation, ScanCodesRepeatsAndModifiers) {
  TranslatedKey press = translateKeyEvent(event(QEvent::KeyPress, Qt::Key_Q, Qt::ShiftModifier, kX11Q), false, false);
  EXPECT_EQ(press.routing, KeyRouting::ToCore);
  EXPECT_EQ(press.message.scanCode, 16);
  EXPECT_FALSE(press.message.autoRepeat);
  EXPECT_TRUE(press.message.modifiers.shift);
  EXPECT_FALSE(press.message.modifiers.ctrl);
  EXPECT_FALSE(press.message.release);

  TranslatedKey repeat = translateKeyEvent(event(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier, kX11Q, true), false, false);
  EXPECT_EQ(repeat.message.scanCode, 16);
  EXPECT_TRUE(repeat.message.autoRepeat);
  EXPECT_TRUE(repeat.message.modifiers.ctrl);
  // A press of a key that is still down is a repeat, whatever the toolkit says.
  EXPECT_TRUE(translateKeyEvent(event(QEvent::KeyPress, Qt::Key_Q, {}, kX11Q), false, true).message.autoRepeat);

  TranslatedKey repeatRelease = translateKeyEvent(event(QEvent::KeyRelease, Qt::Key_Q, {}, kX11Q, true), true, false);
  EXPECT_EQ(repeatRelease.routing, KeyRouting::Ignore);
  TranslatedKey release = translateKeyEvent(event(QEvent::KeyRelease, Qt::Key_Q, {}, kX11Q), true, false);
  EXPECT_EQ(release.routing, KeyRouting::ToCore);
  EXPECT_TRUE(release.message.release);
  EXPECT_EQ(release.message.scanCode, 16);
  EXPECT_FALSE(release.message.autoRepeat);

  EXPECT_EQ(translateKeyEvent(event(QEvent::KeyPress, Qt::Key_Q, Qt::AltModifier, kX11Q), false, false).routing,
            KeyRouting::System);
  EXPECT_EQ(translateKeyEvent(event(QEvent::KeyRelease, Qt::Key_Q, Qt::AltModifier, kX11Q), true, false).routing,
            KeyRouting::ToCore);
  EXPECT_EQ(scanCodeFromNative(0), 0xFF);
  EXPECT_EQ(scanCodeFromNative(8 + 300), 0xFF) << "no note key from a code beyond a byte";
  EXPECT_EQ(scanCodeFromNative(8 + 53), 53);
}

TEST(KeyTranslation, WithReleaselessRepeatsAPressInTheMillisecondOfTheReleasePlays) {
  // Qt takes a release and the next press of one key stamped in the same millisecond for a
  // repeat pair, and flags both.
  const TranslatedKey release = translateKeyEvent(event(QEvent::KeyRelease, Qt::Key_Q, {}, kX11Q, true), true, false, true);
  EXPECT_EQ(release.routing, KeyRouting::ToCore);
  EXPECT_TRUE(release.message.release);
  const TranslatedKey press = translateKeyEvent(event(QEvent::KeyPress, Qt::Key_Q, {}, kX11Q, true), false, false, true);
  EXPECT_EQ(press.routing, KeyRouting::ToCore);
  EXPECT_FALSE(press.message.autoRepeat);
  EXPECT_TRUE(translateKeyEvent(event(QEvent::KeyPress, Qt::Key_Q, {}, kX11Q), false, true, true).message.autoRepeat);
}

TEST(KeyTranslation, ExtendedKeysGetThePcScanCodes) {
  // X keycodes as an X server with evdev reports them, and the scan code a PC keyboard sends.
  struct Case {
    quint32 x11;
    uint32_t scan;
    const char* key;
  };
  const Case cases[] = {
      {106, 53, "keypad divide"}, {104, 28, "keypad Enter"}, {105, 29, "right Ctrl"},
      {108, 56, "right Alt"},     {111, 72, "Up"},           {116, 80, "Down"},
      {113, 75, "Left"},          {114, 77, "Right"},        {110, 71, "Home"},
      {115, 79, "End"},           {112, 73, "Page Up"},      {117, 81, "Page Down"},
      {118, 82, "Insert"},        {119, 83, "Delete"},       {107, 55, "Print Screen"},
      {127, 69, "Pause"},         {133, 91, "left Windows"}, {135, 93, "Menu"},
      {97, 115, "Ro"},            {132, 125, "Yen"},
      // Basic keys keep their codes.
      {24, 16, "Q"},              {61, 53, "slash"},         {94, 86, "the key left of Z"},
      {96, 88, "F12"},            {77, 69, "Num Lock"},
      // No code: a media key, and a code no key has.
      {121, 0xFF, "Mute"},        {92, 0xFF, "evdev 84"},
  };
  for (const Case& c : cases) {
    const TranslatedKey press = translateKeyEvent(event(QEvent::KeyPress, 0, {}, c.x11), false, false);
    EXPECT_EQ(press.message.scanCode, c.scan) << c.key;
  }
}

TEST(KeyTranslation, KeysWithFixedDutiesByMeaning) {
  struct Case {
    int key;
    Qt::KeyboardModifiers mods;
    int32_t vk;
  };
  const Case cases[] = {
      {Qt::Key_Space, {}, 32},
      {Qt::Key_Return, {}, 13},
      {Qt::Key_Enter, Qt::KeypadModifier, 13},
      {Qt::Key_Escape, {}, 27},
      {Qt::Key_Up, {}, 38},
      {Qt::Key_Down, {}, 40},
      {Qt::Key_Plus, Qt::KeypadModifier, 107},
      {Qt::Key_Minus, Qt::KeypadModifier, 109},
      {Qt::Key_Plus, Qt::ShiftModifier, 0},  // the typing row's plus is a note key
      {Qt::Key_Minus, {}, 0},
      {Qt::Key_Q, {}, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(translateKeyEvent(event(QEvent::KeyPress, c.key, c.mods, 0), false, false).message.virtualKey, c.vk)
        << c.key;
  }
}

}  // namespace
