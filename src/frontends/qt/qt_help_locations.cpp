// Help, the web, and where the program and its settings live.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
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

// Where nothing shows the guide (a desktop without a browser), the player is told where its file
// is, so any browser, here or elsewhere, can open it.
void sayWhereTheGuideIs(const QString& path) {
  if (frontEnd().destroyed) return;  // xdg-open may answer while the program is closing
  QMessageBox box(QMessageBox::Warning, text::kCaption,
                  QString::fromUtf8(text::kGuideIsTheFile) + path,
                  QMessageBox::Ok, frontEnd().window);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  box.exec();
}

// Runs xdg-open and ends with its status, which tells whether anything could show the page. Qt
// starts xdg-open without waiting to hear that. A browser started in the foreground keeps
// xdg-open running while it is open, so after ten seconds the opening counts as done.
constexpr const char* kOpenAndReport =
    "xdg-open \"$1\" & opener=$!\n"
    "i=0\n"
    "while [ $i -lt 100 ]; do\n"
    "  kill -0 \"$opener\" 2>/dev/null || { wait \"$opener\"; exit $?; }\n"
    "  sleep 0.1; i=$((i + 1))\n"
    "done\n";

void openGuide(const QString& fragment) {
  const QString path = guidePath();
  if (path.isEmpty()) {
    QMessageBox::warning(frontEnd().window, text::kCaption, text::kGuideNotFound);
    return;
  }
  QUrl url = QUrl::fromLocalFile(path);
  if (!fragment.isEmpty()) url.setFragment(fragment);
  if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty()) {
    if (!QDesktopServices::openUrl(url)) sayWhereTheGuideIs(path);
    return;
  }
  auto* opener = new QProcess(qApp);
  QObject::connect(opener, &QProcess::finished, [opener, path](int code, QProcess::ExitStatus status) {
    opener->deleteLater();
    if (status != QProcess::NormalExit || code != 0) sayWhereTheGuideIs(path);
  });
  QObject::connect(opener, &QProcess::errorOccurred, [opener, path](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    opener->deleteLater();
    sayWhereTheGuideIs(path);
  });
  opener->setStandardOutputFile(QProcess::nullDevice());
  opener->setProcessChannelMode(QProcess::ForwardedErrorChannel);  // why it failed, for the log
  opener->start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), kOpenAndReport, QStringLiteral("sh"), url.toString()});
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

void helpOpenOwnHelp() { openGuide(QString::fromUtf8(guide::kUsingSection)); }

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

// The configuration folder can always be made and written: there is nothing to fall back on.
std::size_t settingsFallbackBasePath(char* buffer, std::size_t capacity) { return copyBounded(QByteArray(), buffer, capacity); }

}  // namespace plat
