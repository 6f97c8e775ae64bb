#include "frontends/qt/qt_menus.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QTimer>
#include <QVariant>
#include <vector>

#include "platform/events.h"
#include "platform/platform.h"
#include "frontends/qt/qt_front_end.h"

namespace {

void showMark(QAction* action, bool checked) {
  // Only marked items are checkable, so unmarked ones show no empty box.
  action->setCheckable(checked);
  action->setChecked(checked);
}

QAction* addCommand(QMenu* menu, int32_t id, const QString& text) {
  QAction* action = menu->addAction(text);
  frontEnd().actions[id] = action;
  frontEnd().marks[id] = false;
  QObject::connect(action, &QAction::triggered, [id, action] {
    // The core alone decides the marks: undo Qt's own toggling before the command runs.
    showMark(action, frontEnd().marks[id]);
    dispatchCommand(id);
  });
  return action;
}

// Marks the items menuAppendDevice added, with their command id.
constexpr const char* kDeviceItemProperty = "plinkettDeviceItem";

// A menu opened with Alt and a letter and closed with Esc leaves the menu bar holding the
// keyboard, waiting for a second Esc: the note keys would open menus or do nothing. Once no menu
// is open any more (arrows may have gone on to the next one), the keys go back to the keyboard.
void giveKeysBackWhenClosed(QMenu* menu) {
  QObject::connect(menu, &QMenu::aboutToHide, [] {
    QTimer::singleShot(0, [] {
      if (QApplication::activePopupWidget() == nullptr && !frontEnd().destroyed) plat::focusMainWindow();
    });
  });
}

// Qt lays out a menu taller than the screen in columns side by side, and a couple of hundred MIDI
// destinations run off the screen's edge that way: the Devices menu scrolls instead, one column
// with arrows, so that every item stays in reach of the mouse and the keyboard.
class ScrollingMenuStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override {
    if (hint == QStyle::SH_Menu_Scrollable) return 1;
    return QProxyStyle::styleHint(hint, option, widget, returned);
  }
};

}  // namespace

void buildMenuBar(QMainWindow& window) {
  std::vector<QMenu*> open;  // the popup at each depth
  for (const MenuEntry& e : menuTable()) {
    open.resize(static_cast<std::size_t>(e.depth));
    QMenu* parent = e.depth == 0 ? nullptr : open.back();
    switch (e.kind) {
      case MenuKind::Popup: {
        QMenu* menu = parent == nullptr ? window.menuBar()->addMenu(e.text) : parent->addMenu(e.text);
        if (e.devicesPopup) {
          frontEnd().devicesMenu = menu;
          auto* style = new ScrollingMenuStyle;
          style->setParent(menu);
          menu->setStyle(style);
          // Destinations come and go while the program runs: the core counts them again.
          QObject::connect(menu, &QMenu::aboutToShow, [] { onDevicesMenuOpening(); });
        }
        if (parent == nullptr) giveKeysBackWhenClosed(menu);
        open.push_back(menu);
        break;
      }
      case MenuKind::Item:
        showMark(addCommand(parent, e.id, e.text), e.checked);
        frontEnd().marks[e.id] = e.checked;
        break;
      case MenuKind::Separator:
        parent->addSeparator();
        break;
    }
  }
}

namespace plat {

void menuCheck(int32_t commandId, bool checked) {
  auto it = frontEnd().actions.find(commandId);
  if (it == frontEnd().actions.end()) return;
  frontEnd().marks[commandId] = checked;
  showMark(it->second, checked);
}

void menuSetItem(int32_t commandId, const char* text, bool grayed) {
  auto it = frontEnd().actions.find(commandId);
  if (it == frontEnd().actions.end()) return;
  it->second->setText(text);
  it->second->setEnabled(!grayed);
  frontEnd().marks[commandId] = false;
  showMark(it->second, false);
}

void menuAppendDevice(int32_t commandId, const char* text) {
  if (frontEnd().devicesMenu == nullptr) return;
  // A device name is shown as it is: an "&" in it is no access letter.
  QAction* action = addCommand(frontEnd().devicesMenu, commandId, QString::fromUtf8(text).replace("&", "&&"));
  action->setProperty(kDeviceItemProperty, commandId);
}

void menuRemoveDevices() {
  QMenu* menu = frontEnd().devicesMenu;
  if (menu == nullptr) return;
  for (QAction* action : menu->actions()) {
    const QVariant id = action->property(kDeviceItemProperty);
    if (!id.isValid()) continue;
    menu->removeAction(action);
    frontEnd().actions.erase(id.toInt());
    frontEnd().marks.erase(id.toInt());
    // Not deleted at once: this runs while the menu is about to show.
    action->deleteLater();
  }
}

}  // namespace plat
