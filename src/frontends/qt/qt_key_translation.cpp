#include "frontends/qt/qt_key_translation.h"

#include <QKeyEvent>

namespace {

constexpr uint32_t kX11KeycodeOffset = 8;
constexpr uint32_t kNoSlotScanCode = 0xFF;

int32_t virtualKeyOf(const QKeyEvent& event) {
  const bool keypad = (event.modifiers() & Qt::KeypadModifier) != 0;
  switch (event.key()) {
    case Qt::Key_Space: return vk::kSpace;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vk::kEnter;
    case Qt::Key_Escape: return vk::kEscape;
    case Qt::Key_Up: return vk::kUp;
    case Qt::Key_Down: return vk::kDown;
    case Qt::Key_Plus: return keypad ? vk::kKeypadPlus : 0;
    case Qt::Key_Minus: return keypad ? vk::kKeypadMinus : 0;
    default: return 0;
  }
}

}  // namespace

uint32_t scanCodeFromNative(uint32_t nativeScanCode) {
  if (nativeScanCode < kX11KeycodeOffset) return kNoSlotScanCode;
  uint32_t scan = nativeScanCode - kX11KeycodeOffset;
  return scan > 0xFFu ? kNoSlotScanCode : scan;
}

TranslatedKey translateKeyEvent(const QKeyEvent& event, bool release, bool alreadyDown) {
  KeyMessage message{release, virtualKeyOf(event), 0, Modifiers{}};
  if ((event.modifiers() & Qt::AltModifier) != 0) return TranslatedKey{KeyRouting::System, message};
  if (release && event.isAutoRepeat()) return TranslatedKey{KeyRouting::Ignore, message};
  message.param = scanCodeFromNative(event.nativeScanCode()) << 16;
  if (!release && (event.isAutoRepeat() || alreadyDown)) message.param |= kAutoRepeatBit;
  message.modifiers.shift = (event.modifiers() & Qt::ShiftModifier) != 0;
  message.modifiers.ctrl = (event.modifiers() & Qt::ControlModifier) != 0;
  return TranslatedKey{KeyRouting::ToCore, message};
}
