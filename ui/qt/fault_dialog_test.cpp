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
#include "ui/qt/configure_window.h"
#include "ui/qt/qt_test_support.h"

using torvane::MessageIcon;
using torvane::sim::Board;
using torvane::sim::BoardKind;
using namespace torvane::ui;
using namespace torvane::ui::testing;

namespace {

enum class Fault { Unplug, WriteFails, StatusFails };

}  // namespace

Q_DECLARE_METATYPE(BoardKind)
Q_DECLARE_METATYPE(Fault)

class FaultDialogTest : public QObject {
  Q_OBJECT

 private:
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
    OpenDialog d(kind);
    auto* usb = d.Get<QLineEdit>(IDC_USB_STATUS);
    auto* device = d.Get<QLineEdit>(IDC_DEVICE_STATUS);
    auto* download = d.Get<QPushButton>(IDC_DOWNLOAD);
    QCOMPARE(device->text(), Identified(kind));

    d.Get<QLineEdit>(IDC_FILE_PATH)->setText(WriteDesign(dir, kind));
    auto writes = static_cast<uint32_t>(d.board->writeSizes().size());
    switch (fault) {
      case Fault::Unplug:
        d.board->faults().unplugAfterWrites = writes + 5;
        break;
      case Fault::WriteFails:
        d.board->faults().failWriteFrom = writes + 3;
        break;
      case Fault::StatusFails:
        d.board->faults().failStatus = true;
        break;
    }
    QTest::mouseClick(download, Qt::LeftButton);
    QCOMPARE(d.presenter.shown.size(), size_t{1});
    QCOMPARE(d.presenter.shown.back().text, QString("DOWNLOAD FAILED !"));
    QCOMPARE(d.presenter.shown.back().icon, MessageIcon::Error);
    for (int id : {IDC_DOWNLOAD, IDC_BROWSE, IDC_FILE_PATH,
                   IDC_CONNECT}) {
      QVERIFY2(d.window->Control(id)->isEnabled(), qPrintable(QString::number(id)));
    }

    d.board->Replug();
    QTest::mouseClick(d.Get<QPushButton>(IDC_CONNECT), Qt::LeftButton);
    QCOMPARE(usb->text(), QString("USB : Connected"));
    QCOMPARE(device->text(), Identified(kind));
    QTest::mouseClick(download, Qt::LeftButton);
    QCOMPARE(d.presenter.shown.size(), size_t{2});
    QCOMPARE(d.presenter.shown.back().text, QString("DOWNLOAD COMPLETE !"));
  }

  void aFailedOpenAtStartIsRecoveredByConnect() {
    auto board = std::make_unique<Board>(BoardKind::Xc3s200);
    board->faults().failOpen = true;  // before the dialog opens and identifies
    OpenDialog d(std::move(board));
    auto* usb = d.Get<QLineEdit>(IDC_USB_STATUS);
    auto* device = d.Get<QLineEdit>(IDC_DEVICE_STATUS);
    QCOMPARE(usb->text(), QString("USB : Not Connected"));
    QCOMPARE(device->text(), QString("JTAG : not found (0)"));
    QVERIFY(d.presenter.shown.empty());

    d.board->Replug();
    QTest::mouseClick(d.Get<QPushButton>(IDC_CONNECT), Qt::LeftButton);
    QCOMPARE(usb->text(), QString("USB : Connected"));
    QCOMPARE(device->text(), QString("Download FPGA XC3S200"));
  }
};

QTEST_MAIN(FaultDialogTest)
#include "fault_dialog_test.moc"
