// The platform services the core calls on the real front end: drawing on the canvas, window
// placement, message boxes, help and the program's locations.
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QUrl>
#include <QWindow>
#include <cstring>

#include "display/key_geometry.h"
#include "keyboard/key_layouts.h"
#include "platform/platform.h"
#include "qt_fixture.h"

namespace {

namespace fs = std::filesystem;

bool isBlack(const QImage& image, int x, int y) { return image.pixelColor(x, y) == QColor(Qt::black); }
bool isWhite(const QImage& image, int x, int y) { return image.pixelColor(x, y) == QColor(Qt::white); }

// Where the front end sends the web and the guide, instead of a browser.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  std::vector<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls.push_back(url); }
};

TEST_F(FrontEnd, DrawingLandsOnTheCanvasImage) {
  withFileSynth();
  answerBoxes();
  ASSERT_TRUE(startFrontEnd());
  const QImage& image = frontEnd().canvas->image();
  ASSERT_GE(image.width(), 120);
  ASSERT_GE(image.height(), 60);

  plat::Surface s = plat::surfaceGet();
  plat::fillRect(s, Rect{0, 0, 120, 60}, plat::Brush::White);
  plat::fillRect(s, Rect{10, 10, 30, 20}, plat::Brush::Black);
  plat::frameRect(s, Rect{40, 10, 60, 30}, plat::Brush::Black);
  plat::surfaceRelease(s);
  // Right and bottom edges are outside the rectangle, as everywhere in the core.
  EXPECT_TRUE(isBlack(image, 10, 10));
  EXPECT_TRUE(isBlack(image, 29, 19));
  EXPECT_TRUE(isWhite(image, 30, 19));
  EXPECT_TRUE(isWhite(image, 29, 20));
  EXPECT_TRUE(isBlack(image, 40, 10));
  EXPECT_TRUE(isBlack(image, 59, 29));
  EXPECT_TRUE(isBlack(image, 40, 29));
  EXPECT_TRUE(isWhite(image, 50, 20)) << "a frame leaves its inside alone";
  EXPECT_TRUE(isWhite(image, 60, 30));

  // Centred text on an opaque box of the background colour, nothing outside the rectangle.
  s = plat::surfaceGet();
  plat::fillRect(s, Rect{0, 0, 120, 60}, plat::Brush::White);
  plat::drawCentredText(s, "W", Rect{20, 10, 100, 50}, plat::Colour::White, plat::Colour::Black);
  plat::surfaceRelease(s);
  int left = 1000, right = -1, top = 1000, bottom = -1;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 120; ++x) {
      if (!isBlack(image, x, y)) continue;
      left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  ASSERT_GE(right, left) << "no background box drawn";
  EXPECT_GE(left, 20);
  EXPECT_LT(right, 100);
  EXPECT_NEAR(left - 20, 99 - right, 2) << "centred across";
  EXPECT_NEAR(top - 10, 49 - bottom, 2) << "centred down";
  bool textPixel = false;
  for (int x = left; x <= right; ++x) textPixel = textPixel || !isBlack(image, x, (top + bottom) / 2);
  EXPECT_TRUE(textPixel) << "the letter shows in the text colour";
}

TEST_F(FrontEnd, AWholeRepaintQueuedBeforeAKeyIsDrawnStillDrawsEverything) {
  withFileSynth();
  answerBoxes();
  ASSERT_TRUE(startFrontEnd());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frontEnd().window));
  QTest::qWait(50);
  KeyboardCanvas& canvas = *frontEnd().canvas;
  // A point inside Q's key, clear of its frame and its label.
  const KeySlot& slotQ = currentLayout()[16];
  const Rect q = keyRect(slotQ.row, slotQ.column);
  const QPoint inQ(q.left + 2, q.top + 2);
  auto shown = [&] {
    const QImage window = frontEnd().window->screen()->grabWindow(frontEnd().window->winId()).toImage();
    return window.pixelColor(canvas.mapTo(frontEnd().window, inQ)).name().toStdString();
  };
  key(QEvent::KeyPress, Qt::Key_Q, 24);
  ASSERT_TRUE(isBlack(canvas.image(), inQ.x(), inQ.y())) << "Q drawn pressed";
  ASSERT_EQ(shown(), "#000000") << "and shown at once";

  // The core asks for the whole keyboard (as Up, Enter and a zoom do), then W is drawn pressed
  // in the same turn: the queued repaint must still draw every key released.
  plat::invalidateClient();
  key(QEvent::KeyPress, Qt::Key_W, 25);
  QTest::qWait(50);
  EXPECT_TRUE(isWhite(canvas.image(), inQ.x(), inQ.y())) << "Q still drawn pressed: the whole repaint was lost";
  EXPECT_EQ(shown(), "#ffffff");
}

TEST_F(FrontEnd, FontsReachTheAskedCellAndWidth) {
  withFileSynth();
  answerBoxes();
  ASSERT_TRUE(startFrontEnd());
  plat::Surface s = plat::surfaceGet();
  const plat::TextSize plain = plat::textExtent(s, "Hello");
  const QFontMetrics interfaceFont(QApplication::font());
  EXPECT_EQ(plain.width, interfaceFont.horizontalAdvance("Hello")) << "a fresh surface carries the interface font";
  EXPECT_EQ(plain.height, interfaceFont.height());

  for (int32_t width : {6, 12}) {
    plat::Font font = plat::fontCreate(24, width, 700);
    ASSERT_NE(font, 0u);
    const QFont& made = frontEnd().fonts.at(font);
    EXPECT_EQ(made.weight(), QFont::Bold);
    QFontMetrics metrics(made);
    EXPECT_LE(metrics.height(), 25);
    EXPECT_GE(metrics.height(), 18);
    EXPECT_NEAR(metrics.averageCharWidth(), width, 2) << "width " << width;
    EXPECT_EQ(plat::fontSelect(s, font), 0u);
    EXPECT_EQ(plat::textExtent(s, "Hello").width, metrics.horizontalAdvance("Hello"));
    plat::Font other = plat::fontCreate(10, 4, 400);
    EXPECT_EQ(frontEnd().fonts.at(other).weight(), QFont::Normal);
    EXPECT_EQ(plat::fontSelect(s, other), font) << "the font selected before comes back";
    plat::fontSelect(s, 0);
    plat::fontDelete(other);
    plat::fontDelete(font);
    plat::surfaceRelease(s);
    s = plat::surfaceGet();
  }
  plat::surfaceRelease(s);
}

TEST_F(FrontEnd, WindowPlacementAndScreens) {
  withFileSynth();
  answerBoxes();
  ASSERT_TRUE(startFrontEnd());
  MainWindow& window = *frontEnd().window;
  QApplication::processEvents();  // the icon comes once the window is up
  EXPECT_FALSE(window.windowIcon().pixmap(32).isNull()) << "the icon is drawn from the shipped SVG";
  EXPECT_EQ(window.windowTitle().toStdString(), "Plinkett Freeware");
  EXPECT_GT(plat::menuBarHeight(), 0);

  plat::windowMove(30, 40, 420, 260, true);
  const Rect r = plat::windowRect();
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.right - r.left, 420);
  EXPECT_EQ(r.bottom - r.top, 260);
  // The canvas is what is left below the menu bar.
  const QMargins frame = window.outerMargins();
  EXPECT_EQ(frontEnd().canvas->height(), 260 - frame.top() - frame.bottom() - plat::menuBarHeight());
  EXPECT_EQ(frontEnd().canvas->width(), 420 - frame.left() - frame.right());
  EXPECT_EQ(app.geometry.clientWidth, frontEnd().canvas->width());
  EXPECT_EQ(app.geometry.clientHeight, frontEnd().canvas->height());

  // Remembered is the restored rectangle, not the maximised one.
  window.showMaximized();
  QApplication::processEvents();
  const Rect normal = plat::windowNormalRect();
  EXPECT_EQ(normal.left, 30);
  EXPECT_EQ(normal.right - normal.left, 420);
  window.showNormal();

  plat::windowSetTopmost(true);
  EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(window.isVisible()) << "changing the flag must not leave the window hidden";
  plat::windowSetTopmost(false);
  EXPECT_FALSE(window.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(window.isVisible());

  Rect areas[4];
  const int32_t count = plat::screenWorkAreas(areas, 4);
  ASSERT_GE(count, 1);
  EXPECT_EQ(areas[0].right - areas[0].left, QGuiApplication::primaryScreen()->availableGeometry().width());
  EXPECT_EQ(plat::screenWorkAreas(nullptr, 0), count) << "counts without writing";

}

TEST_F(FrontEnd, MessageBoxesAnswerWithTheButtonPressed) {
  withFileSynth();
  answerBoxes(QMessageBox::Retry);
  ASSERT_TRUE(startFrontEnd());
  EXPECT_EQ(plat::messageBox("Try again?", plat::BoxStyle::WarningRetryCancel), plat::BoxAnswer::Retry);
  EXPECT_EQ(plat::messageBox("Broken", plat::BoxStyle::ErrorOk), plat::BoxAnswer::Ok);
  EXPECT_EQ(plat::messageBox("Note", plat::BoxStyle::PlainOk), plat::BoxAnswer::Ok);
  EXPECT_EQ(plat::messageBox("Careful", plat::BoxStyle::WarningOk), plat::BoxAnswer::Ok);
  EXPECT_EQ(boxes_, (std::vector<std::string>{"Try again?", "Broken", "Note", "Careful"}));
  EXPECT_EQ(boxIcons_, (std::vector<QMessageBox::Icon>{QMessageBox::Warning, QMessageBox::Critical,
                                                       QMessageBox::NoIcon, QMessageBox::Warning}));
  for (const std::string& title : boxTitles_) EXPECT_EQ(title, "Plinkett Freeware");
}

TEST_F(FrontEnd, MessageBoxCancel) {
  withFileSynth();
  answerBoxes(QMessageBox::Cancel);
  ASSERT_TRUE(startFrontEnd());
  EXPECT_EQ(plat::messageBox("Try again?", plat::BoxStyle::WarningRetryCancel), plat::BoxAnswer::Cancel);
}

// The guide where an install puts it: share/plinkett beside the executable's bin/.
QString shippedGuide() {
  return QFileInfo(QCoreApplication::applicationDirPath() + "/../share/plinkett/guide/index.html").canonicalFilePath();
}

// A stand-in for xdg-open, first on the PATH: it writes down the address it was given and ends
// with the status asked for. Returns the file it writes to.
std::string useOpener(const std::string& dir, int status) {
  const std::string bin = dir + "/bin";
  fs::create_directories(bin);
  std::ofstream(bin + "/xdg-open") << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> " << dir << "/opened.txt\nexit " << status << "\n";
  fs::permissions(bin + "/xdg-open", fs::perms::owner_all);
  setenv("PATH", (bin + ":/usr/bin:/bin").c_str(), 1);
  return dir + "/opened.txt";
}

std::vector<std::string> linesOf(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(FrontEnd, HelpOpensTheShippedGuide) {
  withFileSynth();
  answerBoxes();
  ASSERT_TRUE(startFrontEnd());
  const std::string opened = useOpener(dir_, 0);
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler("https", &catcher, "open");

  plat::helpOpenContents("/usr/bin/plinkett.hlp");
  plat::helpOpenOwnHelp();
  plat::openUrl("https://plinkett.example.org/");
  plat::helpQuit("/usr/bin/plinkett.hlp");
  QDesktopServices::unsetUrlHandler("https");
  EXPECT_TRUE(QTest::qWaitFor([&] { return linesOf(opened).size() == 2; }, 5000));
  QTest::qWait(100);

  // Both openers run at once: either may write first.
  std::vector<std::string> urls = linesOf(opened);
  std::sort(urls.begin(), urls.end());
  ASSERT_FALSE(shippedGuide().isEmpty()) << "the build lays out the guide as an install does";
  const std::string guide = QUrl::fromLocalFile(shippedGuide()).toString().toStdString();
  EXPECT_EQ(urls, (std::vector<std::string>{guide, guide + "#using-this-guide"}));
  QFile file(shippedGuide());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains("id=\"using-this-guide\"")) << "the section the link points at exists";
  ASSERT_EQ(catcher.urls.size(), 1u);
  EXPECT_EQ(catcher.urls[0].toString().toStdString(), "https://plinkett.example.org/");
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(FrontEnd, HelpSaysWhereTheGuideIsWhenNothingCanShowIt) {
  withFileSynth();
  answerBoxes();
  ASSERT_TRUE(startFrontEnd());
  // xdg-open finds no browser (its status 3).
  useOpener(dir_, 3);
  plat::helpOpenContents("/usr/bin/plinkett.hlp");
  EXPECT_TRUE(QTest::qWaitFor([&] { return boxes_.size() == 1; }, 5000));
  // No xdg-open at all: Qt's offscreen platform opens nothing either.
  fs::create_directories(dir_ + "/empty");
  setenv("PATH", (dir_ + "/empty").c_str(), 1);
  plat::helpOpenOwnHelp();
  EXPECT_TRUE(QTest::qWaitFor([&] { return boxes_.size() == 2; }, 5000));
  ASSERT_EQ(boxes_.size(), 2u);
  for (const std::string& box : boxes_) {
    EXPECT_NE(box.find(shippedGuide().toStdString()), std::string::npos) << box;
  }
  EXPECT_EQ(boxIcons_[0], QMessageBox::Warning);
}

TEST_F(FrontEnd, SettingsLiveInTheUsersConfigurationFolder) {
  char path[4096];
  const std::size_t n = plat::settingsBasePath(path, sizeof path);
  EXPECT_EQ(std::string(path), dir_ + "/plinkett/plinkett");
  EXPECT_EQ(n, std::strlen(path));
  EXPECT_TRUE(fs::is_directory(dir_ + "/plinkett")) << "created when missing";

  char small[8];
  EXPECT_EQ(plat::settingsBasePath(small, sizeof small), 7u);
  EXPECT_EQ(std::string(small), dir_.substr(0, 7));

  // A relative or empty configuration folder is not the user's: the home folder's is used.
  const std::string home = dir_ + "/home";
  fs::create_directory(home);
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", "relative/place", 1);
  plat::settingsBasePath(path, sizeof path);
  EXPECT_EQ(std::string(path), home + "/.config/plinkett/plinkett");
  EXPECT_TRUE(fs::is_directory(home + "/.config/plinkett"));

  char exe[4096];
  const std::size_t length = plat::executablePath(exe, sizeof exe);
  EXPECT_EQ(std::string(exe), QCoreApplication::applicationFilePath().toStdString());
  EXPECT_EQ(length, std::strlen(exe));
  char cut[5];
  EXPECT_EQ(plat::executablePath(cut, sizeof cut), 4u);
  EXPECT_EQ(cut[4], '\0');
}

}  // namespace

#include "services_test.moc"
