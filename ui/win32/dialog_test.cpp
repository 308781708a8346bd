// The real Win32 dialog, built from the resource script, on the stand-in driver library
// (the simulated board) and without any driver, driven by clicks and keystrokes.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "link/adapter_link.h"
#include "link/forwarding_adapter.h"
#include "tools/make_bitstream.h"
#include "platform/d2xx_library.h"
#include "ui/win32/dialog_driver_test.h"
#include "ui/win32/win32_view.h"

namespace torvane::ui::testing {
namespace {

// A cable whose writes take wall time, as a real one's do, until it is told to hurry: a
// download long enough for the system to judge whether the dialog still responds.
class SlowCable : public ForwardingAdapter {
 public:
  SlowCable(Adapter& inner, uint32_t msPerWrite) : ForwardingAdapter(inner), ms_(msPerWrite) {}
  void Hurry() { hurry_ = true; }
  int Write(AdapterHandle handle, const uint8_t* data, uint32_t count,
            uint32_t* written) override {
    if (ms_ > 0 && !hurry_) SleepMilliseconds(ms_);
    return ForwardingAdapter::Write(handle, data, count, written);
  }

 private:
  uint32_t ms_;
  std::atomic<bool> hurry_{false};
};

class Win32DialogTest : public ::testing::Test {
 protected:
  // The dialog on the stand-in driver beside the test program, playing `board`, through
  // a cable that takes `msPerWrite` for each write.
  void Open(const char* board, const std::function<void(DialogDriver&)>& script,
            uint32_t msPerWrite = 0) {
    ChooseBoard(board);
    Run(D2XX_LIBRARY_NAME, script, msPerWrite);
  }
  void Run(const char* library, const std::function<void(DialogDriver&)>& script,
           uint32_t msPerWrite = 0) {
    adapter_ = LoadD2xxAdapter(library);
    cable_ = std::make_unique<SlowCable>(*adapter_, msPerWrite);
    state_ = std::make_unique<AppState>();
    state_->link.adapter = cable_.get();
    RunDialog({state_.get()}, script);
    // What the end of the process would do: the stand-in driver outlives the dialog.
    LinkClose(state_->link);
  }
  void TearDown() override { ChooseBoard(nullptr); }

  // A .bit file for `part` in the test's directory.
  static std::string BitFile(const char* name, BitPart part) {
    std::string path = TestDirectory() + name;
    BitstreamOptions options;
    options.part = part;
    EXPECT_TRUE(WriteBitFile(path.c_str(), options));
    return path;
  }

  std::unique_ptr<D2xxAdapter> adapter_;
  std::unique_ptr<SlowCable> cable_;
  std::unique_ptr<AppState> state_;
};

TEST_F(Win32DialogTest, OpensIdentifiedWithOnlyBrowseAndThePathToUse) {
  Open("prom", [](DialogDriver& d) {
    EXPECT_EQ(d.Text(IDC_USB_STATUS), "USB : Connected");
    EXPECT_EQ(d.Text(IDC_DEVICE_STATUS), "Download PROM");
    EXPECT_FALSE(d.Enabled(IDC_DOWNLOAD));
    EXPECT_TRUE(d.Enabled(IDC_BROWSE));
    EXPECT_TRUE(d.Enabled(IDC_FILE_PATH));
    EXPECT_TRUE(d.Enabled(IDC_CONNECT));
    EXPECT_FALSE(d.Enabled(IDC_PROGRESS));
    EXPECT_FALSE(d.Enabled(IDC_USB_STATUS));
    EXPECT_EQ(d.Text(IDC_FILE_PATH), "");
    EXPECT_EQ(d.ProgressMax(), 100);
    GUITHREADINFO focus = {};
    focus.cbSize = sizeof focus;
    GetGUIThreadInfo(GetWindowThreadProcessId(d.dialog(), nullptr), &focus);
    EXPECT_EQ(focus.hwndFocus, d.Control(IDC_BROWSE)) << "Browse takes the first focus";
    EXPECT_NE(SendMessageA(d.dialog(), WM_GETICON, ICON_BIG, 0), 0);
  });
  Open("xc3s400", [](DialogDriver& d) {
    EXPECT_EQ(d.Text(IDC_DEVICE_STATUS), "Download FPGA XC3S400");
  });
}

TEST_F(Win32DialogTest, WithoutTheDriverLibraryTheAdapterIsNotConnected) {
  Run("torvane-absent-ftd2xx.dll", [](DialogDriver& d) {
    EXPECT_EQ(d.Text(IDC_USB_STATUS), "USB : Not Connected");
    EXPECT_EQ(d.Text(IDC_DEVICE_STATUS), "JTAG : not found (0)");
    d.Type(IDC_FILE_PATH, "x");
    ASSERT_TRUE(d.Sync());
    EXPECT_TRUE(d.Enabled(IDC_DOWNLOAD)) << "Download needs only a path";
  });
}

TEST_F(Win32DialogTest, BrowseShowsTheChoiceAndCancelEmptiesIt) {
  std::string file = BitFile("chosen.bit", BitPart::Xc3s200);
  Open("prom", [&](DialogDriver& d) {
    std::string title, filter;
    d.Click(IDC_BROWSE);
    ASSERT_TRUE(d.AnswerOpenFile(file, &title, &filter));
    EXPECT_EQ(title, "File Browser");
    EXPECT_EQ(filter, "Bit Files(*.bit)");
    ASSERT_TRUE(d.Sync());
    EXPECT_EQ(d.Text(IDC_FILE_PATH), file);
    EXPECT_TRUE(d.Enabled(IDC_DOWNLOAD));

    d.Click(IDC_BROWSE);
    ASSERT_TRUE(d.AnswerOpenFile("", &title, &filter));
    ASSERT_TRUE(d.Sync());
    EXPECT_EQ(d.Text(IDC_FILE_PATH), "");
    EXPECT_FALSE(d.Enabled(IDC_DOWNLOAD)) << "Cancel leaves no path";
  });
}

TEST_F(Win32DialogTest, DownloadFollowsTheTypedPathCharacterByCharacter) {
  Open("prom", [](DialogDriver& d) {
    d.Type(IDC_FILE_PATH, "a");
    ASSERT_TRUE(d.Sync());
    EXPECT_TRUE(d.Enabled(IDC_DOWNLOAD)) << "one character is a path";
    d.Type(IDC_FILE_PATH, "\b");
    ASSERT_TRUE(d.Sync());
    EXPECT_EQ(d.Text(IDC_FILE_PATH), "");
    EXPECT_FALSE(d.Enabled(IDC_DOWNLOAD));
    d.Type(IDC_FILE_PATH, "C:\\no such dir\\design.bit");
    ASSERT_TRUE(d.Sync());
    EXPECT_EQ(d.Text(IDC_FILE_PATH), "C:\\no such dir\\design.bit");
    ASSERT_TRUE(d.Enabled(IDC_DOWNLOAD));
    d.Click(IDC_DOWNLOAD);
    MessageBoxSeen box;
    ASSERT_TRUE(d.AnswerMessageBox(&box));
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.text, "File not Found !");
    EXPECT_TRUE(box.errorIcon);
  });
}

// Pasted whole, an over-long path is refused; cut by the edit to the buffer's length it
// would name another file and enable Download.
TEST_F(Win32DialogTest, APastedOverLongPathIsNoPath) {
  Open("prom", [](DialogDriver& d) {
    const std::string longPath = "C:\\" + std::string(PATH_CAPACITY + 40, 'a') + ".bit";
    d.Paste(IDC_FILE_PATH, longPath);
    ASSERT_TRUE(d.Sync());
    EXPECT_EQ(d.Text(IDC_FILE_PATH).size(), longPath.size());
    EXPECT_FALSE(d.Enabled(IDC_DOWNLOAD));
  });
  EXPECT_EQ(std::string(state_->path), "");
}

// A choice longer than the open-file dialog's buffer fails with FNERR_BUFFERTOOSMALL and
// leaves the size it needs in the buffer's first bytes: that is no choice, not a one- or
// two-character path. Wine's dialog returns at most MAX_PATH - 1 characters, so a small
// buffer stands in for a path longer than the real one.
TEST_F(Win32DialogTest, ABrowseChoiceLongerThanTheBufferIsNoChoice) {
  std::string file = BitFile("chosen.bit", BitPart::Xc3s200);
  ASSERT_GT(file.size(), 16u);
  Win32DialogView small(16);
  DWORD thread = GetCurrentThreadId();
  bool answered = false;
  std::thread user([&] {
    DialogDriver d(nullptr, thread);
    std::string title, filter;
    answered = d.AnswerOpenFile(file, &title, &filter);
  });
  std::string chosen = small.ShowOpenFileDialog({BROWSE_TITLE, BROWSE_FILTER_NAME, BROWSE_PATTERN});
  user.join();
  ASSERT_TRUE(answered);
  EXPECT_EQ(chosen, "");
}

TEST_F(Win32DialogTest, EscapeClosesNothing) {
  Open("prom", [](DialogDriver& d) {
    d.Type(IDC_FILE_PATH, "p");
    d.Key(IDC_FILE_PATH, VK_ESCAPE);
    d.Key(IDC_BROWSE, VK_ESCAPE);
    d.Key(IDC_CONNECT, VK_ESCAPE);
    // A dialog that ended takes no more messages: the sync would fail.
    ASSERT_TRUE(d.Sync()) << "Escape ended the dialog";
    ASSERT_TRUE(d.Sync()) << "Escape ended the dialog";
    EXPECT_TRUE(IsWindowVisible(d.dialog()));
    EXPECT_EQ(d.Text(IDC_FILE_PATH), "p");
  });
}

TEST_F(Win32DialogTest, ConnectIdentifiesTheBoardPluggedInSince) {
  Open("xc3s200", [](DialogDriver& d) {
    EXPECT_EQ(d.Text(IDC_DEVICE_STATUS), "Download FPGA XC3S200");
    ChooseBoard("none");
    ASSERT_TRUE(d.Enabled(IDC_CONNECT));
    d.Click(IDC_CONNECT);
    ASSERT_TRUE(d.Sync());
    EXPECT_EQ(d.Text(IDC_USB_STATUS), "USB : Not Connected");
    EXPECT_EQ(d.Text(IDC_DEVICE_STATUS), "JTAG : not found (0)");
    ChooseBoard("prom400");
    d.Click(IDC_CONNECT);
    ASSERT_TRUE(d.Sync());
    EXPECT_EQ(d.Text(IDC_USB_STATUS), "USB : Connected");
    EXPECT_EQ(d.Text(IDC_DEVICE_STATUS), "Download PROM");
  });
}

TEST_F(Win32DialogTest, FpgaDownloadCompletesWithTheBarAtItsEnd) {
  std::string file = BitFile("fpga.bit", BitPart::Xc3s200);
  Open("xc3s200", [&](DialogDriver& d) {
    d.Type(IDC_FILE_PATH, file);
    ASSERT_TRUE(d.Sync());
    ASSERT_TRUE(d.Enabled(IDC_DOWNLOAD));
    d.Click(IDC_DOWNLOAD);
    MessageBoxSeen box;
    ASSERT_TRUE(d.AnswerMessageBox(&box));
    EXPECT_EQ(box.caption, "Operation Status");
    EXPECT_EQ(box.text, "DOWNLOAD COMPLETE !");
    EXPECT_TRUE(box.informationIcon);
    ASSERT_TRUE(d.Sync());
    EXPECT_GT(d.ProgressMax(), 100);
    EXPECT_EQ(d.ProgressPos(), d.ProgressMax());
    EXPECT_FALSE(d.Enabled(IDC_PROGRESS)) << "the bar stays disabled";
  });
}

TEST_F(Win32DialogTest, PromDownloadCompletesWithTheBarAtItsEnd) {
  std::string file = BitFile("prom.bit", BitPart::Xc3s200);
  Open("prom", [&](DialogDriver& d) {
    d.Type(IDC_FILE_PATH, file);
    ASSERT_TRUE(d.Sync());
    d.Click(IDC_DOWNLOAD);
    MessageBoxSeen box;
    ASSERT_TRUE(d.AnswerMessageBox(&box));
    EXPECT_EQ(box.caption, "Operation Status");
    EXPECT_EQ(box.text, "DOWNLOAD COMPLETE !");
    ASSERT_TRUE(d.Sync());
    // After the download's 0..100, the check ran as a phase of its own and reached its
    // end: the FPGA started from the PROM.
    EXPECT_GT(d.ProgressMax(), 0);
    EXPECT_EQ(d.ProgressPos(), d.ProgressMax());
  });
}

// Longer than the five seconds after which the system marks a window that reads no
// messages as not responding: meanwhile the dialog answers, its bar moves and the input
// queued behind the Download that started the work waits. The click among it comes to the
// dialog in the verdict box's loop, and starts nothing.
TEST_F(Win32DialogTest, LongWorkKeepsTheDialogAnsweringAndTakesNoInput) {
  std::string file = TestDirectory() + "long.bit";
  BitstreamOptions options;
  options.rawBody = true;
  options.dataSize = 3 * 512 + 100;  // four blocks, which the FPGA cannot boot from
  ASSERT_TRUE(WriteBitFile(file.c_str(), options));
  Open("prom-jtagmode", [&](DialogDriver& d) {
    d.Type(IDC_FILE_PATH, file);
    ASSERT_TRUE(d.Sync());
    d.Click(IDC_DOWNLOAD);
    d.Click(IDC_DOWNLOAD);
    d.Type(IDC_FILE_PATH, "x");
    constexpr UINT ANSWER_MS = 1000;
    std::set<DWORD_PTR> positions;
    bool hung = false;
    bool keyTaken = false;
    auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(6)) {
      ASSERT_FALSE(d.BoxOpen()) << "the work ended before the system would judge it";
      hung = hung || IsHungAppWindow(d.dialog());
      DWORD_PTR position = 0;
      if (SendMessageTimeoutA(d.Control(IDC_PROGRESS), PBM_GETPOS, 0, 0, SMTO_NORMAL,
                              ANSWER_MS, &position)) {
        positions.insert(position);
      }
      char text[MAX_PATH] = {};
      DWORD_PTR length = 0;
      if (SendMessageTimeoutA(d.Control(IDC_FILE_PATH), WM_GETTEXT, sizeof text,
                              reinterpret_cast<LPARAM>(text), SMTO_NORMAL, ANSWER_MS,
                              &length)) {
        keyTaken = keyTaken || file != text;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    cable_->Hurry();
    EXPECT_FALSE(hung);
    EXPECT_GE(positions.size(), 5u) << "the bar moves and the dialog answers while it does";
    EXPECT_FALSE(keyTaken) << "a key reached the path edit while the work ran";

    MessageBoxSeen box;
    ASSERT_TRUE(d.AnswerMessageBox(&box));
    EXPECT_EQ(box.text, "DOWNLOAD COMPLETE !");
    ASSERT_TRUE(d.Sync());
    EXPECT_FALSE(d.BoxOpen()) << "the queued click started another download";
    // The check polled DONE and read the four blocks back, on a bar that ran again from
    // the start to its end.
    EXPECT_GT(d.ProgressMax(), 4);
    EXPECT_EQ(d.ProgressPos(), d.ProgressMax());
  }, 5);
}

}  // namespace
}  // namespace torvane::ui::testing
