// The Qt dialog driven headless on simulated boards: what the user sees after each
// action, with the modal boxes and the file dialog answered by a recording presenter.
#include <QClipboard>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <chrono>
#include <deque>
#include <set>
#include <vector>

#include "sim/board.h"
#include "sim/fpga.h"
#include "sim/prom.h"
#include "tools/make_bitstream.h"
#include "ui/qt/configure_window.h"
#include "ui/qt/qt_test_support.h"

using torvane::MessageIcon;
using torvane::sim::BoardKind;
using torvane::sim::MakeBoard;
using namespace torvane::ui;
using namespace torvane::ui::testing;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
  int count = 0;
};

// A .bit file named `name` in `dir` whose body is `dataSize` bytes of no design; empty
// when it cannot be written.
QString RawBitFile(const QTemporaryDir& dir, const char* name, size_t dataSize) {
  QByteArray file = dir.filePath(name).toLocal8Bit();
  torvane::BitstreamOptions options;
  options.rawBody = true;
  options.dataSize = dataSize;
  return torvane::WriteBitFile(file.constData(), options) ? QString::fromLocal8Bit(file)
                                                          : QString();
}

}  // namespace

class ConfigureWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void opensWithTheChainIdentified() {
    OpenDialog d(BoardKind::Prom200);
    d.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d.window.get()));

    QCOMPARE(d.window->windowTitle(), QString("Configure Device ( Spartan - 3)"));
    QCOMPARE(d.window->size(), QSize(333, 293));
    auto* usb = d.Get<QLineEdit>(IDC_USB_STATUS);
    auto* device = d.Get<QLineEdit>(IDC_DEVICE_STATUS);
    QCOMPARE(usb->text(), QString("USB : Connected"));
    QCOMPARE(device->text(), QString("Download PROM"));
    QCOMPARE(d.state.deviceMode, torvane::DeviceMode::Prom);
    for (QLineEdit* line : {usb, device}) {
      QVERIFY(!line->isEnabled());
      QVERIFY(line->isReadOnly());
      QCOMPARE(line->alignment(), Qt::AlignCenter);
    }
    QVERIFY(!d.Get<QPushButton>(IDC_DOWNLOAD)->isEnabled());
    QVERIFY(d.Get<QPushButton>(IDC_BROWSE)->isEnabled());
    QVERIFY(d.Get<QLineEdit>(IDC_FILE_PATH)->isEnabled());
    auto* bar = d.Get<QProgressBar>(IDC_PROGRESS);
    QVERIFY(!bar->isEnabled());
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(QApplication::focusWidget(), d.window->Control(IDC_BROWSE));
    QVERIFY(d.presenter.shown.empty());

    // Connect is the default button: Enter outside the buttons identifies again.
    QCOMPARE(d.board->openCount(), 1u);
    auto* path = d.Get<QLineEdit>(IDC_FILE_PATH);
    path->setFocus();
    QTest::keyClick(path, Qt::Key_Return);
    QCOMPARE(d.board->openCount(), 2u);
  }

  void cancelInBrowseForgetsAnEarlierChoice() {
    OpenDialog d(BoardKind::None, {"/boards/top.bit", QString()});
    auto* browse = d.Get<QPushButton>(IDC_BROWSE);
    auto* path = d.Get<QLineEdit>(IDC_FILE_PATH);
    auto* download = d.Get<QPushButton>(IDC_DOWNLOAD);

    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(d.presenter.titles, QStringList{"File Browser"});
    QCOMPARE(d.presenter.filters, QStringList{"Bit Files(*.bit)"});
    QCOMPARE(path->text(), QString("/boards/top.bit"));
    QCOMPARE(QString(d.state.path), QString("/boards/top.bit"));
    QVERIFY(download->isEnabled());

    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(path->text(), QString());
    QCOMPARE(QString(d.state.path), QString());
    QVERIFY(!download->isEnabled());
  }

  void typingOneCharacterEnablesDownload() {
    OpenDialog d(BoardKind::None);
    auto* path = d.Get<QLineEdit>(IDC_FILE_PATH);
    auto* download = d.Get<QPushButton>(IDC_DOWNLOAD);

    path->setFocus();
    QTest::keyClicks(path, "x");
    QVERIFY(download->isEnabled());
    QCOMPARE(QString(d.state.path), QString("x"));
    QTest::keyClick(path, Qt::Key_Backspace);
    QVERIFY(!download->isEnabled());
    QCOMPARE(QString(d.state.path), QString());
  }

  // Pasted whole, an over-long path is refused; cut by the edit to the buffer's length it
  // would name another file and enable Download.
  void aPastedOverLongPathIsNoPath() {
    OpenDialog d(BoardKind::None);
    auto* path = d.Get<QLineEdit>(IDC_FILE_PATH);
    const QString longPath = "/" + QString(torvane::PATH_CAPACITY + 40, 'a') + ".bit";
    QGuiApplication::clipboard()->setText(longPath);
    path->setFocus();
    QTest::keySequence(path, QKeySequence::Paste);
    QCOMPARE(path->text(), longPath);
    QCOMPARE(QString(d.state.path), QString());
    QVERIFY(!d.Get<QPushButton>(IDC_DOWNLOAD)->isEnabled());
  }

  void connectIdentifiesAgain() {
    OpenDialog d(BoardKind::Prom200);
    auto fpga = MakeBoard(BoardKind::Xc3s400);
    auto* usb = d.Get<QLineEdit>(IDC_USB_STATUS);
    auto* device = d.Get<QLineEdit>(IDC_DEVICE_STATUS);
    auto* connectButton = d.Get<QPushButton>(IDC_CONNECT);
    QCOMPARE(device->text(), QString("Download PROM"));

    // Another board behind the cable: Connect shows it.
    d.state.link.adapter = fpga.get();
    QTest::mouseClick(connectButton, Qt::LeftButton);
    QCOMPARE(usb->text(), QString("USB : Connected"));
    QCOMPARE(device->text(), QString("Download FPGA XC3S400"));
    QCOMPARE(d.state.deviceMode, torvane::DeviceMode::Fpga);

    // The cable pulled: both lines change.
    auto none = MakeBoard(BoardKind::None);
    d.state.link.adapter = none.get();
    QTest::mouseClick(connectButton, Qt::LeftButton);
    QCOMPARE(usb->text(), QString("USB : Not Connected"));
    QCOMPARE(device->text(), QString("JTAG : not found (0)"));
  }

  void downloadWithoutAModeSaysSo() {
    OpenDialog d(BoardKind::None);
    d.state.deviceMode = torvane::DeviceMode::None;  // as before any identification finished
    d.Get<QLineEdit>(IDC_FILE_PATH)->setText("/boards/top.bit");
    QTest::mouseClick(d.Get<QPushButton>(IDC_DOWNLOAD), Qt::LeftButton);
    QCOMPARE(d.presenter.shown.size(), size_t{1});
    QCOMPARE(d.presenter.shown[0].text, QString("Interface not present !"));
    QCOMPARE(d.presenter.shown[0].caption, QString("Error"));
    QCOMPARE(d.presenter.shown[0].icon, MessageIcon::Error);
    QCOMPARE(d.presenter.shown[0].owner, static_cast<QWidget*>(d.window.get()));
  }

  void downloadMovesTheBarAndShowsTheVerdict() {
    QTemporaryDir dir;
    QString file = RawBitFile(dir, "small.bit", 700);
    QVERIFY(!file.isEmpty());
    OpenDialog d(BoardKind::Prom200);
    d.Get<QLineEdit>(IDC_FILE_PATH)->setText(file);
    QTest::mouseClick(d.Get<QPushButton>(IDC_DOWNLOAD), Qt::LeftButton);
    // The data is no design, so the FPGA does not start: the check polls DONE, then reads
    // the two blocks written back, on a bar that ran again from the start and reached its
    // end.
    auto* bar = d.Get<QProgressBar>(IDC_PROGRESS);
    QVERIFY(bar->maximum() > 2);
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(!bar->isEnabled());
    QCOMPARE(d.presenter.shown.size(), size_t{1});
    QCOMPARE(d.presenter.shown[0].icon, MessageIcon::Information);
    QCOMPARE(d.presenter.shown[0].caption, QString("Operation Status"));
  }

  // The download and the check after it run on the dialog's thread, yet the bar is painted
  // and timers run as they go; a click on Download and the close box meanwhile do nothing.
  void longWorkPaintsTheBarAndTakesNoOtherCommand() {
    QTemporaryDir dir;
    QString file = RawBitFile(dir, "long.bit", 4 * 512 + 100);  // five blocks
    QVERIFY(!file.isEmpty());
    OpenDialog d(BoardKind::PromJtagMode);
    QVERIFY(QTest::qWaitForWindowExposed(d.window.get()));
    d.window->SetKeepAliveInterval(std::chrono::milliseconds(0));  // at every update
    d.Get<QLineEdit>(IDC_FILE_PATH)->setText(file);
    auto* bar = d.Get<QProgressBar>(IDC_PROGRESS);
    auto* download = d.Get<QPushButton>(IDC_DOWNLOAD);
    PaintCounter paints;
    bar->installEventFilter(&paints);

    struct Sample {
      int value;
      int maximum;
      int paints;
    };
    std::vector<Sample> during;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
      during.push_back({bar->value(), bar->maximum(), paints.count});
      if (during.size() == 1) QTest::mouseClick(download, Qt::LeftButton);
      if (during.size() == 2) d.window->close();
    });
    probe.start();
    QTest::mouseClick(download, Qt::LeftButton);
    probe.stop();

    QCOMPARE(d.presenter.shown.size(), size_t{1});
    QCOMPARE(d.presenter.shown[0].text, QString("DOWNLOAD COMPLETE !"));
    QCOMPARE(d.board->prom()->erases(), 1u);
    QVERIFY(d.window->isVisible());
    QVERIFY(during.size() > 2);
    QVERIFY(during.back().paints > during.front().paints);
    // The download's phases on 0..100, then the check from the start: its DONE polls, then
    // the five blocks read back (in one exchange, so the bar may step over them at once).
    const int total = bar->maximum();
    QVERIFY(total > 5);
    std::set<int> downloadValues;
    std::set<int> checkValues;
    for (const Sample& sample : during) {
      if (sample.maximum == 100) downloadValues.insert(sample.value);
      if (sample.maximum == total) checkValues.insert(sample.value);
    }
    QVERIFY(downloadValues.size() > 50);
    QVERIFY(checkValues.count(0) == 1);  // it ran again from the start
    QVERIFY(checkValues.size() > 5);      // and moved through the check
    QCOMPARE(bar->value(), total);
  }

  void browseAndDownloadConfigureTheFpga() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QByteArray file = dir.filePath("top.bit").toLocal8Bit();
    QVERIFY(torvane::WriteBitFile(file.constData(), torvane::BitstreamOptions{}));
    OpenDialog d(BoardKind::Xc3s200, {QString::fromLocal8Bit(file)});

    QTest::mouseClick(d.Get<QPushButton>(IDC_BROWSE), Qt::LeftButton);
    QTest::mouseClick(d.Get<QPushButton>(IDC_DOWNLOAD), Qt::LeftButton);
    QCOMPARE(d.presenter.shown.size(), size_t{1});
    QCOMPARE(d.presenter.shown[0].text, QString("DOWNLOAD COMPLETE !"));
    QCOMPARE(d.presenter.shown[0].icon, MessageIcon::Information);
    QVERIFY(d.board->fpga()->done());
    auto* bar = d.Get<QProgressBar>(IDC_PROGRESS);
    QCOMPARE(bar->value(), bar->maximum());
  }

  void progressPastTheEndFillsTheBarAndAnEmptyRangeStaysEmpty() {
    OpenDialog d(BoardKind::None);
    auto* bar = d.Get<QProgressBar>(IDC_PROGRESS);
    d.window->SetProgressRange(0, 1000);
    d.window->SetProgressPos(1040);  // the offsets count the header
    QCOMPARE(bar->value(), 1000);
    d.window->SetProgressRange(0, 0);
    d.window->SetProgressPos(0);
    QVERIFY(bar->maximum() > bar->minimum());  // not a busy indicator
    QCOMPARE(bar->value(), 0);
  }

  void escapeLeavesTheDialogOpen() {
    OpenDialog d(BoardKind::None);
    QTest::keyClick(d.window->Control(IDC_BROWSE), Qt::Key_Escape);
    QTest::keyClick(d.window.get(), Qt::Key_Escape);
    QVERIFY(d.window->isVisible());
  }

  void closingEndsTheApplicationWithCode0() {
    OpenDialog d(BoardKind::None);
    QTimer::singleShot(0, d.window.get(), &QWidget::close);
    // Guards the test run only: a close that failed to quit would otherwise hang.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(10000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!d.window->isVisible());
  }
};

QTEST_MAIN(ConfigureWindowTest)
#include "configure_window_test.moc"
