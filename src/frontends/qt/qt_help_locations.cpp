// Help, the web, and where the program and its settings live.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QUrl>
#include <cstring>

#include "platform/events.h"
#include "platform/platform.h"
#include "frontends/qt/qt_front_end.h"
#include "frontends/qt/qt_main_window.h"

namespace {


std::size_t copyBounded(const QByteArray& text, char* buffer, std::size_t capacity) {
  if (capacity == 0) return 0;
  std::size_t n = std::min(static_cast<std::size_t>(text.size()), capacity - 1);
  std::memcpy(buffer, text.constData(), n);
  buffer[n] = '\0';
  return n;
}

QString guidePath() { return dataFilePath(QStringLiteral("guide/index.html")); }

void openGuide(const QString& fragment) {
  QString path = guidePath();
  if (path.isEmpty()) {
    QMessageBox::warning(frontEnd().window, text::kCaption, "The user's guide cannot be found.");
    return;
  }
  QUrl url = QUrl::fromLocalFile(path);
  if (!fragment.isEmpty()) url.setFragment(fragment);
  QDesktopServices::openUrl(url);
}

}  // namespace

QString dataFilePath(const QString& name) {
  // Only beside the executable, in the install prefix's layout: an installed program, an
  // unpacked package and a build (which lays its files out the same way) all find their own.
  const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/" PLINKETT_DATA_FROM_BIN "/") + name;
  return QFileInfo::exists(path) ? QFileInfo(path).canonicalFilePath() : QString();
}

namespace plat {

// There is no help viewer for the help file's format here: the guide opens in the browser.
void helpOpenContents(const char*) { openGuide(QString()); }

void helpOpenOwnHelp() { openGuide(QStringLiteral("using-this-guide")); }

void helpQuit(const char*) {}  // the guide opens in the browser, which the player closes

void openUrl(const char* url) { QDesktopServices::openUrl(QUrl(QString::fromUtf8(url))); }

std::size_t executablePath(char* buffer, std::size_t capacity) {
  return copyBounded(QFile::encodeName(QCoreApplication::applicationFilePath()), buffer, capacity);
}

std::size_t settingsBasePath(char* buffer, std::size_t capacity) {
  // An installed program's own folder is not writable: settings live in the user's
  // configuration folder, $XDG_CONFIG_HOME/plinkett or ~/.config/plinkett.
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + "/.config";
  QString folder = base + "/plinkett";
  QDir().mkpath(folder);
  return copyBounded(QFile::encodeName(folder + "/plinkett"), buffer, capacity);
}

}  // namespace plat
