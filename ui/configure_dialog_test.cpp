#include "ui/configure_dialog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "sim/board.h"
#include "sim/fpga.h"
#include "sim/prom.h"
#include "tests/support/scratch_dir.h"
#include "tools/make_bitstream.h"
#include "ui/dialog_layout.h"
#include "ui/fake_view_test.h"
#include "ui/resource.h"

namespace torvane::ui {
namespace {

// An adapter that opens and answers every call, but has no chain behind it: the code
// reads 0. It counts opens and remembers which handles were closed.
class CountingAdapter : public Adapter {
 public:
  int Open(const char*, AdapterHandle* handle) override {
    ++opens;
    *handle = reinterpret_cast<AdapterHandle>(static_cast<uintptr_t>(opens));
    return ADAPTER_OK;
  }
  int SetUsbParameters(AdapterHandle, uint32_t, uint32_t) override { return ADAPTER_OK; }
  int SetBitMode(AdapterHandle, uint8_t, uint8_t) override { return ADAPTER_OK; }
  int SetBaudRate(AdapterHandle, uint32_t) override { return ADAPTER_OK; }
  int Purge(AdapterHandle, uint32_t) override { return ADAPTER_OK; }
  int SetLatencyTimer(AdapterHandle, uint8_t) override { return ADAPTER_OK; }
  int Write(AdapterHandle, const uint8_t*, uint32_t count, uint32_t* written) override {
    *written = count;
    return ADAPTER_OK;
  }
  int GetStatus(AdapterHandle, uint32_t* rx, uint32_t* tx, uint32_t* events) override {
    *rx = *tx = *events = 0;
    return ADAPTER_OK;
  }
  int Read(AdapterHandle, uint8_t*, uint32_t, uint32_t* read) override {
    *read = 0;
    return ADAPTER_OK;
  }
  int Close(AdapterHandle handle) override {
    closed.push_back(handle);
    return ADAPTER_OK;
  }
  void Wait(uint32_t) override {}

  int opens = 0;
  std::vector<AdapterHandle> closed;
};

class ConfigureDialogTest : public ::testing::Test {
 protected:
  AppState state;
  FakeView view;
  ConfigureDialog dialog{state, view};
};

TEST_F(ConfigureDialogTest, OpeningSetsInitialStatesAndIdentifies) {
  OnInitDialog(dialog);
  EXPECT_FALSE(view.enabled.at(IDC_DOWNLOAD));
  EXPECT_TRUE(view.enabled.at(IDC_BROWSE));
  EXPECT_TRUE(view.enabled.at(IDC_FILE_PATH));
  EXPECT_FALSE(view.enabled.at(IDC_PROGRESS));
  EXPECT_EQ(view.progressMin, 0u);
  EXPECT_EQ(view.progressMax, 100u);
  // No adapter at all: both lines still tell the user, and no device mode is set.
  EXPECT_EQ(view.texts[IDC_USB_STATUS], "USB : Not Connected");
  EXPECT_EQ(view.texts[IDC_DEVICE_STATUS], "JTAG : not found (0)");
  EXPECT_EQ(state.deviceMode, DeviceMode::None);
  EXPECT_TRUE(view.messages.empty());
}

// Download runs what identification chose, as the devices show: the FPGA alone receives
// configuration data, the PROM chain is erased and programmed.
TEST_F(ConfigureDialogTest, DownloadRunsWhatIdentificationChose) {
  torvane::testing::ScratchDir scratch;
  BitstreamOptions options;
  options.rawBody = true;
  options.dataSize = 64;
  std::string path = scratch.Path("design.bit");
  ASSERT_TRUE(WriteBitFile(path.c_str(), options));
  for (sim::BoardKind kind : {sim::BoardKind::Xc3s200, sim::BoardKind::Prom200}) {
    std::unique_ptr<sim::Board> board = sim::MakeBoard(kind);
    state.link.adapter = board.get();
    OnInitDialog(dialog);
    ASSERT_TRUE(StorePath(state, path));
    view.messages.clear();
    OnCommand(dialog, IDC_DOWNLOAD);
    ASSERT_EQ(view.messages.size(), 1u) << sim::BoardName(kind);
    EXPECT_EQ(view.messages[0].caption, "Operation Status");
    if (board->prom() != nullptr) {
      EXPECT_EQ(board->prom()->erases(), 1u);
      EXPECT_EQ(board->fpga()->configBitCount(), 0u);
    } else {
      EXPECT_GE(board->fpga()->configBitCount(), 8 * options.dataSize);
    }
    LinkClose(state.link);
  }
}

TEST_F(ConfigureDialogTest, DownloadWithNoDeviceModeSaysTheInterfaceIsNotPresent) {
  std::unique_ptr<sim::Board> board = sim::MakeBoard(sim::BoardKind::Xc3s200);
  state.link.adapter = board.get();
  std::snprintf(state.path, sizeof state.path, "%s", "/any.bit");
  state.deviceMode = DeviceMode::None;
  OnCommand(dialog, IDC_DOWNLOAD);
  ASSERT_EQ(view.messages.size(), 1u);
  const torvane::testing::RecordedMessage& box = view.messages.back();
  EXPECT_EQ(box.text, "Interface not present !");
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.icon, MessageIcon::Error);
  EXPECT_EQ(box.owner, MessageOwner::Dialog);
  EXPECT_TRUE(board->writeSizes().empty());
}

TEST_F(ConfigureDialogTest, BrowseAsksForABitFileAndCancelForgetsAnEarlierChoice) {
  view.answers = {"/boards/top.bit", ""};
  OnCommand(dialog, IDC_BROWSE);
  ASSERT_EQ(view.requests.size(), 1u);
  EXPECT_STREQ(view.requests[0].title, "File Browser");
  EXPECT_STREQ(view.requests[0].filterName, "Bit Files(*.bit)");
  EXPECT_STREQ(view.requests[0].pattern, "*.bit");
  EXPECT_STREQ(state.path, "/boards/top.bit");
  EXPECT_EQ(view.texts[IDC_FILE_PATH], "/boards/top.bit");
  EXPECT_TRUE(view.enabled.at(IDC_DOWNLOAD));

  OnCommand(dialog, IDC_BROWSE);
  EXPECT_STREQ(state.path, "");
  EXPECT_EQ(view.texts[IDC_FILE_PATH], "");
  EXPECT_FALSE(view.enabled.at(IDC_DOWNLOAD));
}

TEST_F(ConfigureDialogTest, BrowseRefusesAPathTooLongToHoldWhole) {
  view.answers = {"/short.bit", "/" + std::string(PATH_MAX_CHARS, 'd') + ".bit",
                  std::string(PATH_MAX_CHARS, 'e')};
  OnCommand(dialog, IDC_BROWSE);
  OnCommand(dialog, IDC_BROWSE);
  EXPECT_STREQ(state.path, "");
  EXPECT_FALSE(view.enabled.at(IDC_DOWNLOAD));
  OnCommand(dialog, IDC_BROWSE);  // exactly the longest path that fits
  EXPECT_EQ(std::string(state.path), std::string(PATH_MAX_CHARS, 'e'));
  EXPECT_TRUE(view.enabled.at(IDC_DOWNLOAD));
}

TEST_F(ConfigureDialogTest, EditingThePathEnablesDownloadFromTheFirstCharacter) {
  view.texts[IDC_FILE_PATH] = "C";
  OnCommand(dialog, IDC_FILE_PATH);
  EXPECT_STREQ(state.path, "C");
  EXPECT_TRUE(view.enabled.at(IDC_DOWNLOAD));

  view.texts[IDC_FILE_PATH] = "";
  OnCommand(dialog, IDC_FILE_PATH);
  EXPECT_STREQ(state.path, "");
  EXPECT_FALSE(view.enabled.at(IDC_DOWNLOAD));
}

TEST_F(ConfigureDialogTest, AnEditedPathLongerThanTheBufferIsNoPath) {
  view.texts[IDC_FILE_PATH] = std::string(PATH_MAX_CHARS, 'p');
  OnPathEdited(dialog);
  EXPECT_EQ(std::string(state.path), std::string(PATH_MAX_CHARS, 'p'));
  EXPECT_TRUE(view.enabled.at(IDC_DOWNLOAD));
  // Cut short it could name another file: it is dropped, as Browse drops it.
  view.texts[IDC_FILE_PATH] = std::string(300, 'p');
  OnPathEdited(dialog);
  EXPECT_STREQ(state.path, "");
  EXPECT_FALSE(view.enabled.at(IDC_DOWNLOAD));
  EXPECT_FALSE(StorePath(state, std::string(PATH_CAPACITY, 'q')));
  EXPECT_TRUE(StorePath(state, std::string(PATH_MAX_CHARS, 'q')));
}

TEST_F(ConfigureDialogTest, ConnectClosesTheHandleAndIdentifiesAgain) {
  CountingAdapter adapter;
  state.link.adapter = &adapter;
  OnInitDialog(dialog);
  EXPECT_EQ(view.texts[IDC_USB_STATUS], "USB : Connected");
  AdapterHandle first = state.link.handle;

  view.texts.clear();
  OnCommand(dialog, IDC_CONNECT);
  ASSERT_EQ(adapter.closed.size(), 1u);
  EXPECT_EQ(adapter.closed[0], first);
  EXPECT_EQ(adapter.opens, 2);
  EXPECT_NE(state.link.handle, first);
  EXPECT_EQ(view.texts[IDC_USB_STATUS], "USB : Connected");
  EXPECT_EQ(view.texts[IDC_DEVICE_STATUS], "JTAG : not found (0)");
}

TEST_F(ConfigureDialogTest, OtherCommandsDoNothing) {
  state.deviceMode = DeviceMode::None;
  std::snprintf(state.path, sizeof state.path, "%s", "/kept.bit");
  // The standard OK and Cancel commands, a status line and an unknown identifier.
  for (int id : {1, 2, 0, static_cast<int>(IDC_USB_STATUS), static_cast<int>(IDC_PROGRESS),
                 4242}) {
    OnCommand(dialog, id);
  }
  EXPECT_TRUE(view.texts.empty());
  EXPECT_TRUE(view.enabled.empty());
  EXPECT_TRUE(view.messages.empty());
  EXPECT_TRUE(view.requests.empty());
  EXPECT_EQ(view.quitCode, -1);
  EXPECT_STREQ(state.path, "/kept.bit");
}

TEST_F(ConfigureDialogTest, ClosingEndsTheApplicationWithCode0) {
  OnClose(dialog);
  EXPECT_EQ(view.quitCode, 0);
}

TEST(DialogLayoutTest, EveryControlTheProceduresAddressIsInTheLayoutOnce) {
  std::set<int> seen;
  for (size_t i = 0; i < CONFIGURE_CONTROL_COUNT; ++i) {
    int id = CONFIGURE_CONTROLS[i].id;
    if (id != NO_CONTROL_ID) {
      EXPECT_TRUE(seen.insert(id).second) << "duplicate " << id;
    }
  }
  for (int id : {IDC_DOWNLOAD, IDC_BROWSE, IDC_FILE_PATH, IDC_USB_STATUS, IDC_DEVICE_STATUS,
                 IDC_CONNECT, IDC_PROGRESS}) {
    const ControlSpec* entry = FindControl(id);
    ASSERT_NE(entry, nullptr) << id;
    EXPECT_EQ(entry->id, id);
  }
  EXPECT_EQ(FindControl(NO_CONTROL_ID), nullptr);
}

}  // namespace
}  // namespace torvane::ui
