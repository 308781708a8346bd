// The Qt dialog through faults of the simulated board: a download that meets a pulled
// cable, a failing write or a failing status query ends in its box and leaves every
// control usable; Connect then identifies the board that is back, and Download completes.
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <vector>

#include "sim/board.h"
#include "tools/make_bitstream.h"
#include "ui/core_downloads.h"
#include "ui/qt/configure_window.h"

using torvane::AppState;
using torvane::MessageIcon;
using torvane::sim::Board;
using torvane::sim::BoardKind;
using namespace torvane::ui;

namespace {

struct Shown {
  QString text;
  MessageIcon icon;
};

class RecordingPresenter : public DialogPresenter {
 public:
  void ShowMessage(QWidget*, const QString& text, const QString&, MessageIcon icon) override {
    shown.push_back({text, icon});
  }
  QString GetOpenFileName(const QString&, const QString&) override { return QString(); }
  std::vector<Shown> shown;
};

enum class Fault { Unplug, WriteFails, StatusFails };

}  // namespace

Q_DECLARE_METATYPE(BoardKind)
Q_DECLARE_METATYPE(Fault)

class FaultDialogTest : public QObject {
  Q_OBJECT

 private:
  template <typename T>
  static T* Get(ConfigureWindow& window, int id) {
    T* control = qobject_cast<T*>(window.Control(id));
    if (control == nullptr) qFatal("control %d missing", id);
    return control;
  }

  static QString WriteDesign(const QTemporaryDir& dir, BoardKind kind) {
    QString path = dir.filePath("design.bit");
    torvane::BitstreamOptions options;
    if (kind == BoardKind::Prom200) {
      options.rawBody = true;
      options.dataSize = 1300;
    }
    if (!torvane::WriteBitFile(path.toLocal8Bit().constData(), options)) qFatal("cannot write");
    return path;
  }

  static QString Identified(BoardKind kind) {
    return kind == BoardKind::Prom200 ? "Download PROM" : "Download FPGA XC3S200";
  }

 private slots:
  void downloadFaultLeavesTheDialogUsable_data() {
    QTest::addColumn<BoardKind>("kind");
    QTest::addColumn<Fault>("fault");
    QTest::newRow("FPGA, cable pulled") << BoardKind::Xc3s200 << Fault::Unplug;
    QTest::newRow("FPGA, a write fails") << BoardKind::Xc3s200 << Fault::WriteFails;
    QTest::newRow("FPGA, status fails") << BoardKind::Xc3s200 << Fault::StatusFails;
    QTest::newRow("PROM, cable pulled") << BoardKind::Prom200 << Fault::Unplug;
    QTest::newRow("PROM, status fails") << BoardKind::Prom200 << Fault::StatusFails;
  }

  void downloadFaultLeavesTheDialogUsable() {
    QFETCH(BoardKind, kind);
    QFETCH(Fault, fault);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    auto board = std::make_unique<Board>(kind);
    AppState state;
    state.link.adapter = board.get();
    RecordingPresenter presenter;
    ConfigureWindow window(state, CoreDownloadProcedures(), presenter);
    window.show();
    auto* usb = Get<QLineEdit>(window, torvane::IDC_USB_STATUS);
    auto* device = Get<QLineEdit>(window, torvane::IDC_DEVICE_STATUS);
    auto* download = Get<QPushButton>(window, torvane::IDC_DOWNLOAD);
    QCOMPARE(device->text(), Identified(kind));

    Get<QLineEdit>(window, torvane::IDC_FILE_PATH)->setText(WriteDesign(dir, kind));
    auto writes = static_cast<uint32_t>(board->writeSizes().size());
    switch (fault) {
      case Fault::Unplug:
        board->faults().unplugAfterWrites = writes + 5;
        break;
      case Fault::WriteFails:
        board->faults().failWriteFrom = writes + 3;
        break;
      case Fault::StatusFails:
        board->faults().failStatus = true;
        break;
    }
    QTest::mouseClick(download, Qt::LeftButton);
    QCOMPARE(presenter.shown.size(), size_t{1});
    QCOMPARE(presenter.shown.back().text, QString("DOWNLOAD FAILED !"));
    QCOMPARE(presenter.shown.back().icon, MessageIcon::Error);
    for (int id : {torvane::IDC_DOWNLOAD, torvane::IDC_BROWSE, torvane::IDC_FILE_PATH,
                   torvane::IDC_CONNECT}) {
      QVERIFY2(window.Control(id)->isEnabled(), qPrintable(QString::number(id)));
    }

    board->Replug();
    QTest::mouseClick(Get<QPushButton>(window, torvane::IDC_CONNECT), Qt::LeftButton);
    QCOMPARE(usb->text(), QString("USB : Connected"));
    QCOMPARE(device->text(), Identified(kind));
    QTest::mouseClick(download, Qt::LeftButton);
    QCOMPARE(presenter.shown.size(), size_t{2});
    QCOMPARE(presenter.shown.back().text, QString("DOWNLOAD COMPLETE !"));
  }

  void aFailedOpenAtStartIsRecoveredByConnect() {
    auto board = std::make_unique<Board>(BoardKind::Xc3s200);
    board->faults().failOpen = true;
    AppState state;
    state.link.adapter = board.get();
    RecordingPresenter presenter;
    ConfigureWindow window(state, CoreDownloadProcedures(), presenter);
    window.show();
    auto* usb = Get<QLineEdit>(window, torvane::IDC_USB_STATUS);
    auto* device = Get<QLineEdit>(window, torvane::IDC_DEVICE_STATUS);
    QCOMPARE(usb->text(), QString("USB : Not Connected"));
    QCOMPARE(device->text(), QString("JTAG : not found (0)"));
    QVERIFY(presenter.shown.empty());

    board->Replug();
    QTest::mouseClick(Get<QPushButton>(window, torvane::IDC_CONNECT), Qt::LeftButton);
    QCOMPARE(usb->text(), QString("USB : Connected"));
    QCOMPARE(device->text(), QString("Download FPGA XC3S200"));
  }
};

QTEST_MAIN(FaultDialogTest)
#include "fault_dialog_test.moc"
