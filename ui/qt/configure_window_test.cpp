// The Qt dialog driven headless on simulated boards: what the user sees after each
// action, with the modal boxes and the file dialog answered by a recording presenter.
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <deque>

#include "sim/board.h"
#include "sim/fpga.h"
#include "tools/make_bitstream.h"
#include "ui/core_downloads.h"
#include "ui/qt/configure_window.h"

using torvane::AppState;
using torvane::DialogHost;
using torvane::MessageIcon;
using torvane::sim::BoardKind;
using torvane::sim::MakeBoard;
using namespace torvane::ui;

namespace {

struct Shown {
  QWidget* owner;
  QString text;
  QString caption;
  MessageIcon icon;
};

class RecordingPresenter : public DialogPresenter {
 public:
  void ShowMessage(QWidget* owner, const QString& text, const QString& caption,
                   MessageIcon icon) override {
    shown.push_back({owner, text, caption, icon});
  }
  QString GetOpenFileName(const QString& title, const QString& filter) override {
    titles.push_back(title);
    filters.push_back(filter);
    QString answer = answers.empty() ? QString() : answers.front();
    if (!answers.empty()) {
      answers.pop_front();
    }
    return answer;
  }

  std::vector<Shown> shown;
  QStringList titles;
  QStringList filters;
  std::deque<QString> answers;  // an empty answer is Cancel
};

// A download that reports as the procedures do: a range, positions past the header,
// and its verdict.
void FakeDownload(AppState&, DialogHost& host) {
  host.SetProgressRange(0, 400);
  host.SetProgressPos(150);
  host.ShowMessage(torvane::MessageOwner::Dialog, "DOWNLOAD COMPLETE !", "Operation Status",
                   MessageIcon::Information);
}

}  // namespace

class ConfigureWindowTest : public QObject {
  Q_OBJECT

 private:
  template <typename T>
  static T* Get(ConfigureWindow& window, int id) {
    T* control = qobject_cast<T*>(window.Control(id));
    if (control == nullptr) {
      qFatal("control %d missing", id);
    }
    return control;
  }

 private slots:
  void opensWithTheChainIdentified() {
    auto board = MakeBoard(BoardKind::Prom200);
    AppState state;
    state.link.adapter = board.get();
    RecordingPresenter presenter;
    ConfigureWindow window(state, {}, presenter);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    QCOMPARE(window.windowTitle(), QString("Configure Device ( Spartan - 3)"));
    QCOMPARE(window.size(), QSize(333, 293));
    auto* usb = Get<QLineEdit>(window, torvane::IDC_USB_STATUS);
    auto* device = Get<QLineEdit>(window, torvane::IDC_DEVICE_STATUS);
    QCOMPARE(usb->text(), QString("USB : Connected"));
    QCOMPARE(device->text(), QString("Download PROM"));
    QCOMPARE(state.deviceMode, torvane::DEVICE_PROM);
    for (QLineEdit* line : {usb, device}) {
      QVERIFY(!line->isEnabled());
      QVERIFY(line->isReadOnly());
      QCOMPARE(line->alignment(), Qt::AlignCenter);
    }
    QVERIFY(!Get<QPushButton>(window, torvane::IDC_DOWNLOAD)->isEnabled());
    QVERIFY(Get<QPushButton>(window, torvane::IDC_BROWSE)->isEnabled());
    QVERIFY(Get<QLineEdit>(window, torvane::IDC_FILE_PATH)->isEnabled());
    auto* bar = Get<QProgressBar>(window, torvane::IDC_PROGRESS);
    QVERIFY(!bar->isEnabled());
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(QApplication::focusWidget(), window.Control(torvane::IDC_BROWSE));
    QVERIFY(presenter.shown.empty());

    // Connect is the default button: Enter outside the buttons identifies again.
    QCOMPARE(board->openCount(), 1u);
    auto* path = Get<QLineEdit>(window, torvane::IDC_FILE_PATH);
    path->setFocus();
    QTest::keyClick(path, Qt::Key_Return);
    QCOMPARE(board->openCount(), 2u);
  }

  void cancelInBrowseForgetsAnEarlierChoice() {
    auto none = MakeBoard(BoardKind::None);  // no cable, and no real waits
    AppState state;
    state.link.adapter = none.get();
    RecordingPresenter presenter;
    presenter.answers = {"/boards/top.bit", QString()};
    ConfigureWindow window(state, {}, presenter);
    window.show();
    auto* browse = Get<QPushButton>(window, torvane::IDC_BROWSE);
    auto* path = Get<QLineEdit>(window, torvane::IDC_FILE_PATH);
    auto* download = Get<QPushButton>(window, torvane::IDC_DOWNLOAD);

    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(presenter.titles, QStringList{"File Browser"});
    QCOMPARE(presenter.filters, QStringList{"Bit Files(*.bit)"});
    QCOMPARE(path->text(), QString("/boards/top.bit"));
    QCOMPARE(QString(state.path), QString("/boards/top.bit"));
    QVERIFY(download->isEnabled());

    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(path->text(), QString());
    QCOMPARE(QString(state.path), QString());
    QVERIFY(!download->isEnabled());
  }

  void typingOneCharacterEnablesDownload() {
    auto none = MakeBoard(BoardKind::None);  // no cable, and no real waits
    AppState state;
    state.link.adapter = none.get();
    RecordingPresenter presenter;
    ConfigureWindow window(state, {}, presenter);
    window.show();
    auto* path = Get<QLineEdit>(window, torvane::IDC_FILE_PATH);
    auto* download = Get<QPushButton>(window, torvane::IDC_DOWNLOAD);

    path->setFocus();
    QTest::keyClicks(path, "x");
    QVERIFY(download->isEnabled());
    QCOMPARE(QString(state.path), QString("x"));
    QTest::keyClick(path, Qt::Key_Backspace);
    QVERIFY(!download->isEnabled());
    QCOMPARE(QString(state.path), QString());
  }

  void connectIdentifiesAgain() {
    auto prom = MakeBoard(BoardKind::Prom200);
    auto fpga = MakeBoard(BoardKind::Xc3s400);
    AppState state;
    state.link.adapter = prom.get();
    RecordingPresenter presenter;
    ConfigureWindow window(state, {}, presenter);
    window.show();
    auto* usb = Get<QLineEdit>(window, torvane::IDC_USB_STATUS);
    auto* device = Get<QLineEdit>(window, torvane::IDC_DEVICE_STATUS);
    auto* connectButton = Get<QPushButton>(window, torvane::IDC_CONNECT);
    QCOMPARE(device->text(), QString("Download PROM"));

    // Another board behind the cable: Connect shows it.
    state.link.adapter = fpga.get();
    QTest::mouseClick(connectButton, Qt::LeftButton);
    QCOMPARE(usb->text(), QString("USB : Connected"));
    QCOMPARE(device->text(), QString("Download FPGA XC3S400"));
    QCOMPARE(state.deviceMode, torvane::DEVICE_FPGA);

    // The cable pulled: both lines change.
    auto none = MakeBoard(BoardKind::None);
    state.link.adapter = none.get();
    QTest::mouseClick(connectButton, Qt::LeftButton);
    QCOMPARE(usb->text(), QString("USB : Not Connected"));
    QCOMPARE(device->text(), QString("JTAG : not found (0)"));
  }

  void downloadWithoutAModeSaysSo() {
    auto none = MakeBoard(BoardKind::None);  // no cable, and no real waits
    AppState state;
    state.link.adapter = none.get();
    RecordingPresenter presenter;
    ConfigureWindow window(state, {}, presenter);
    window.show();
    state.deviceMode = torvane::DEVICE_NONE;  // as before any identification finished
    Get<QLineEdit>(window, torvane::IDC_FILE_PATH)->setText("/boards/top.bit");
    QTest::mouseClick(Get<QPushButton>(window, torvane::IDC_DOWNLOAD), Qt::LeftButton);
    QCOMPARE(presenter.shown.size(), size_t{1});
    QCOMPARE(presenter.shown[0].text, QString("Interface not present !"));
    QCOMPARE(presenter.shown[0].caption, QString("Error"));
    QCOMPARE(presenter.shown[0].icon, MessageIcon::Error);
    QCOMPARE(presenter.shown[0].owner, static_cast<QWidget*>(&window));
  }

  void downloadMovesTheBarAndShowsTheVerdict() {
    auto board = MakeBoard(BoardKind::Xc3s200);
    AppState state;
    state.link.adapter = board.get();
    RecordingPresenter presenter;
    ConfigureWindow window(state, {&FakeDownload, nullptr}, presenter);
    window.show();
    Get<QLineEdit>(window, torvane::IDC_FILE_PATH)->setText("/boards/top.bit");
    QTest::mouseClick(Get<QPushButton>(window, torvane::IDC_DOWNLOAD), Qt::LeftButton);
    auto* bar = Get<QProgressBar>(window, torvane::IDC_PROGRESS);
    QCOMPARE(bar->maximum(), 400);
    QCOMPARE(bar->value(), 150);
    QVERIFY(!bar->isEnabled());
    QCOMPARE(presenter.shown.size(), size_t{1});
    QCOMPARE(presenter.shown[0].icon, MessageIcon::Information);
    QCOMPARE(presenter.shown[0].caption, QString("Operation Status"));
  }

  void browseAndDownloadConfigureTheFpga() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QByteArray file = dir.filePath("top.bit").toLocal8Bit();
    QVERIFY(torvane::WriteBitFile(file.constData(), torvane::BitstreamOptions{}));
    auto board = MakeBoard(BoardKind::Xc3s200);
    AppState state;
    state.link.adapter = board.get();
    RecordingPresenter presenter;
    presenter.answers = {QString::fromLocal8Bit(file)};
    ConfigureWindow window(state, CoreDownloadProcedures(), presenter);
    window.show();

    QTest::mouseClick(Get<QPushButton>(window, torvane::IDC_BROWSE), Qt::LeftButton);
    QTest::mouseClick(Get<QPushButton>(window, torvane::IDC_DOWNLOAD), Qt::LeftButton);
    QCOMPARE(presenter.shown.size(), size_t{1});
    QCOMPARE(presenter.shown[0].text, QString("DOWNLOAD COMPLETE !"));
    QCOMPARE(presenter.shown[0].icon, MessageIcon::Information);
    QVERIFY(board->fpga()->done());
    auto* bar = Get<QProgressBar>(window, torvane::IDC_PROGRESS);
    QCOMPARE(bar->value(), bar->maximum());
  }

  void progressPastTheEndFillsTheBarAndAnEmptyRangeStaysEmpty() {
    auto none = MakeBoard(BoardKind::None);  // no cable, and no real waits
    AppState state;
    state.link.adapter = none.get();
    RecordingPresenter presenter;
    ConfigureWindow window(state, {}, presenter);
    auto* bar = Get<QProgressBar>(window, torvane::IDC_PROGRESS);
    window.SetProgressRange(0, 1000);
    window.SetProgressPos(1040);  // the offsets count the header
    QCOMPARE(bar->value(), 1000);
    window.SetProgressRange(0, 0);
    window.SetProgressPos(0);
    QVERIFY(bar->maximum() > bar->minimum());  // not a busy indicator
    QCOMPARE(bar->value(), 0);
  }

  void escapeLeavesTheDialogOpen() {
    auto none = MakeBoard(BoardKind::None);  // no cable, and no real waits
    AppState state;
    state.link.adapter = none.get();
    RecordingPresenter presenter;
    ConfigureWindow window(state, {}, presenter);
    window.show();
    QTest::keyClick(window.Control(torvane::IDC_BROWSE), Qt::Key_Escape);
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(window.isVisible());
  }

  void closingEndsTheApplicationWithCode0() {
    auto none = MakeBoard(BoardKind::None);  // no cable, and no real waits
    AppState state;
    state.link.adapter = none.get();
    RecordingPresenter presenter;
    ConfigureWindow window(state, {}, presenter);
    window.show();
    QTimer::singleShot(0, &window, &QWidget::close);
    // Guards the test run only: a close that failed to quit would otherwise hang.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(10000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!window.isVisible());
  }
};

QTEST_MAIN(ConfigureWindowTest)
#include "configure_window_test.moc"
