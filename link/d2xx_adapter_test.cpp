// The vendor driver backend over a driver of the test's own: what reaches the driver, what
// comes back, the chips it lists, and a library that lacks calls or is missing altogether.
#include "link/d2xx_adapter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "link/adapter_link.h"

namespace torvane {
namespace {

// An attached chip as the driver lists it; `trialStatus` answers an open by its serial.
struct FakeChip {
  uint32_t flags;
  uint32_t type;
  const char* serial;
  const char* description;
  D2xxStatus trialStatus = 0;
};

// The one driver the fake calls below talk to.
struct FakeDriver {
  std::vector<FakeChip> chips;
  std::string openedDescription;
  uint32_t openFlags = 0;
  D2xxStatus openStatus = 0;
  std::vector<uint8_t> written;
  uint32_t queued = 0;
  uint32_t mostQueued = 0;  // samples written and not yet read, at the worst moment
  int closes = 0;
  uint8_t latency = 0;
};
FakeDriver driver;
int handleToken;

D2xxStatus FakeOpenEx(void* argument, uint32_t flags, D2xxHandle* handle) {
  driver.openedDescription = static_cast<const char*>(argument);
  driver.openFlags = flags;
  D2xxStatus status = driver.openStatus;
  if (flags == OPEN_BY_SERIAL_NUMBER) {
    status = ADAPTER_DEVICE_NOT_FOUND;
    for (const FakeChip& chip : driver.chips) {
      if (driver.openedDescription == chip.serial) status = chip.trialStatus;
    }
  }
  *handle = status == 0 ? &handleToken : nullptr;
  return status;
}
D2xxStatus FakeSetUsbParameters(D2xxHandle, uint32_t, uint32_t) { return 0; }
D2xxStatus FakeSetBitMode(D2xxHandle, uint8_t, uint8_t) { return 0; }
D2xxStatus FakeSetBaudRate(D2xxHandle handle, uint32_t baud) {
  return handle == &handleToken && baud == 921600 ? 0 : ADAPTER_INVALID_BAUD_RATE;
}
D2xxStatus FakePurge(D2xxHandle, uint32_t) { return 0; }
D2xxStatus FakeSetLatencyTimer(D2xxHandle handle, uint8_t milliseconds) {
  driver.latency = milliseconds;
  return handle == &handleToken ? 0 : ADAPTER_INVALID_HANDLE;
}
D2xxStatus FakeWrite(D2xxHandle handle, void* data, uint32_t count, uint32_t* written) {
  if (handle != &handleToken) return ADAPTER_INVALID_HANDLE;
  const auto* bytes = static_cast<const uint8_t*>(data);
  driver.written.insert(driver.written.end(), bytes, bytes + count);
  *written = count;
  driver.queued += count;
  if (driver.queued > driver.mostQueued) driver.mostQueued = driver.queued;
  return 0;
}
D2xxStatus FakeGetStatus(D2xxHandle, uint32_t* rx, uint32_t* tx, uint32_t* event) {
  *rx = driver.queued;
  *tx = 0;
  *event = 0;
  return 0;
}
D2xxStatus FakeRead(D2xxHandle, void* buffer, uint32_t count, uint32_t* read) {
  uint32_t n = count < driver.queued ? count : driver.queued;
  std::memset(buffer, 0x20, n);
  driver.queued -= n;
  *read = n;
  return 0;
}
D2xxStatus FakeClose(D2xxHandle) {
  ++driver.closes;
  return 0;
}

D2xxStatus FakeCreateDeviceInfoList(uint32_t* count) {
  *count = static_cast<uint32_t>(driver.chips.size());
  return 0;
}
D2xxStatus FakeGetDeviceInfoDetail(uint32_t index, uint32_t* flags, uint32_t* type, uint32_t* id,
                                   uint32_t* location, char* serial, char* description,
                                   D2xxHandle* handle) {
  if (index >= driver.chips.size()) return ADAPTER_DEVICE_NOT_FOUND;
  const FakeChip& chip = driver.chips[index];
  *flags = chip.flags;
  *type = chip.type;
  *id = 0x04036001;
  *location = 0x21 + index;
  std::strcpy(serial, chip.serial);
  std::strcpy(description, chip.description);
  *handle = nullptr;
  return 0;
}

// A "library" whose exports are the fake calls, minus one name when a test asks.
struct FakeLibrary {
  const char* missing = nullptr;
};

void* LookUp(void* library, const char* name) {
  const char* missing = static_cast<FakeLibrary*>(library)->missing;
  if (missing != nullptr && std::strcmp(name, missing) == 0) return nullptr;
  struct Export {
    const char* name;
    void* address;
  };
  const Export exports[] = {
      {"FT_OpenEx", reinterpret_cast<void*>(&FakeOpenEx)},
      {"FT_SetUSBParameters", reinterpret_cast<void*>(&FakeSetUsbParameters)},
      {"FT_SetBitMode", reinterpret_cast<void*>(&FakeSetBitMode)},
      {"FT_SetBaudRate", reinterpret_cast<void*>(&FakeSetBaudRate)},
      {"FT_Purge", reinterpret_cast<void*>(&FakePurge)},
      {"FT_Write", reinterpret_cast<void*>(&FakeWrite)},
      {"FT_GetStatus", reinterpret_cast<void*>(&FakeGetStatus)},
      {"FT_Read", reinterpret_cast<void*>(&FakeRead)},
      {"FT_Close", reinterpret_cast<void*>(&FakeClose)},
      {"FT_SetLatencyTimer", reinterpret_cast<void*>(&FakeSetLatencyTimer)},
      {"FT_CreateDeviceInfoList", reinterpret_cast<void*>(&FakeCreateDeviceInfoList)},
      {"FT_GetDeviceInfoDetail", reinterpret_cast<void*>(&FakeGetDeviceInfoDetail)},
  };
  for (const Export& entry : exports) {
    if (std::strcmp(entry.name, name) == 0) return entry.address;
  }
  return nullptr;
}

class D2xxAdapterTest : public ::testing::Test {
 protected:
  void SetUp() override { driver = FakeDriver{}; }
};

TEST_F(D2xxAdapterTest, CallsReachTheDriverAndItsAnswersComeBack) {
  FakeLibrary library;
  D2xxFunctions functions;
  ASSERT_TRUE(ResolveD2xxFunctions(&LookUp, &library, &functions));
  D2xxAdapter adapter(&functions);
  AdapterLink link;
  link.adapter = &adapter;

  driver.latency = 60;  // as a user may have set it in the driver's settings
  EXPECT_EQ(LinkOpen(link), ADAPTER_OK);
  EXPECT_EQ(driver.openedDescription, "FT232R USB UART");
  EXPECT_EQ(driver.openFlags, OPEN_BY_DESCRIPTION);
  EXPECT_EQ(driver.latency, 2) << "the open sets the least the driver documents";
  EXPECT_EQ(LinkSetBaudRate(link, 115200), ADAPTER_INVALID_BAUD_RATE);
  EXPECT_EQ(link.lastStatus, static_cast<uint32_t>(ADAPTER_INVALID_BAUD_RATE));
  EXPECT_EQ(LinkSetLatencyTimer(link, 16), ADAPTER_OK);
  EXPECT_EQ(driver.latency, 16);
  EXPECT_EQ(LinkSetLatencyTimer(link, 1), ADAPTER_OK);
  EXPECT_EQ(driver.latency, 2);

  const uint8_t bytes[] = {0x0E, 0x4E, 0x00};
  EXPECT_EQ(LinkWrite(link, bytes, 3), ADAPTER_OK);
  EXPECT_EQ(link.bytesWritten, 3u);
  EXPECT_EQ(driver.written, std::vector<uint8_t>(bytes, bytes + 3));
  EXPECT_EQ(LinkGetStatus(link), ADAPTER_OK);
  EXPECT_EQ(link.rxQueued, 3u);
  uint8_t samples[2] = {};
  EXPECT_EQ(LinkRead(link, samples, 2), ADAPTER_OK);
  EXPECT_EQ(link.bytesRead, 2u);
  EXPECT_EQ(samples[1], 0x20);

  // An exchange fills the driver's buffer but never leaves more unread than it holds.
  ASSERT_EQ(LinkRead(link, samples, 1), ADAPTER_OK);  // the write's last sample
  driver.written.clear();
  ASSERT_EQ(LinkSetUsbParameters(link, 8192, 0), ADAPTER_OK);
  std::vector<uint8_t> stream(30000, 0x0E);
  std::vector<uint8_t> back(stream.size());
  EXPECT_EQ(LinkExchange(link, stream.data(), 30000, back.data(), READ_BOUND_MS), ADAPTER_OK);
  EXPECT_EQ(driver.written, stream);
  EXPECT_EQ(back, std::vector<uint8_t>(stream.size(), 0x20));
  EXPECT_LE(driver.mostQueued, 8192u);
  EXPECT_GE(driver.mostQueued, 4096u);
  EXPECT_EQ(LinkClose(link), ADAPTER_OK);
  EXPECT_EQ(driver.closes, 1);
}

TEST_F(D2xxAdapterTest, AFailedOpenKeepsTheDriversStatusAndNoHandle) {
  FakeLibrary library;
  D2xxFunctions functions;
  ASSERT_TRUE(ResolveD2xxFunctions(&LookUp, &library, &functions));
  D2xxAdapter adapter(&functions);
  driver.openStatus = ADAPTER_DEVICE_NOT_FOUND;
  AdapterHandle handle = &handleToken;
  EXPECT_EQ(adapter.Open("FT232R USB UART", &handle), ADAPTER_DEVICE_NOT_FOUND);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(adapter.LastOpenProblemKind(), OpenProblem::NotAttached);
  driver.openStatus = ADAPTER_DEVICE_NOT_OPENED;
  adapter.Open("FT232R USB UART", &handle);
  EXPECT_EQ(adapter.LastOpenProblemKind(), OpenProblem::DeviceBusy);
  EXPECT_NE(std::string(adapter.LastOpenProblem()).find("serial port"), std::string::npos);
  // A later success clears the reason.
  driver.openStatus = 0;
  EXPECT_EQ(adapter.Open("FT232R USB UART", &handle), ADAPTER_OK);
  EXPECT_EQ(adapter.LastOpenProblemKind(), OpenProblem::None);
  EXPECT_STREQ(adapter.LastOpenProblem(), "");
}

TEST_F(D2xxAdapterTest, ALibraryLackingACallIsNoDriver) {
  for (const char* missing : {"FT_OpenEx", "FT_GetStatus", "FT_SetLatencyTimer"}) {
    FakeLibrary library{missing};
    D2xxFunctions functions;
    functions.openEx = &FakeOpenEx;
    EXPECT_FALSE(ResolveD2xxFunctions(&LookUp, &library, &functions)) << missing;
    EXPECT_EQ(functions.openEx, nullptr) << missing;
    D2xxAdapter adapter(&functions);
    EXPECT_FALSE(adapter.HasDriver()) << missing;
  }
}

TEST_F(D2xxAdapterTest, WithoutTheLibraryEveryCallFailsAndNothingIsCalled) {
  D2xxAdapter adapter(nullptr);
  AdapterLink link;
  link.adapter = &adapter;
  EXPECT_EQ(LinkOpen(link), ADAPTER_DEVICE_NOT_FOUND);
  EXPECT_EQ(link.handle, nullptr);
  EXPECT_EQ(adapter.LastOpenProblemKind(), OpenProblem::DriverMissing);
  const uint8_t byte = 0xFF;
  EXPECT_NE(LinkWrite(link, &byte, 1), ADAPTER_OK);
  EXPECT_NE(LinkGetStatus(link), ADAPTER_OK);
  EXPECT_EQ(link.rxQueued, 0u);
  EXPECT_NE(LinkClose(link), ADAPTER_OK);
  EXPECT_TRUE(driver.openedDescription.empty());
  EXPECT_TRUE(driver.written.empty());
  EXPECT_EQ(driver.closes, 0);
}

std::vector<CableInfo> Listed(bool tryOpen) {
  FakeLibrary library;
  D2xxFunctions functions;
  EXPECT_TRUE(ResolveD2xxFunctions(&LookUp, &library, &functions));
  D2xxCableList list(&functions, tryOpen);
  std::vector<CableInfo> cables;
  std::string error;
  EXPECT_TRUE(list.List(&cables, &error)) << error;
  return cables;
}

const FakeChip JTAG_A{0, D2XX_TYPE_FT232R, "A9008AAA", "FT232R USB UART"};
const FakeChip RENAMED{0, D2XX_TYPE_FT232R, "A9008BBB", "Board console"};
const FakeChip HELD{D2XX_FLAG_OPENED, 0, "", ""};
const FakeChip OTHER_CHIP{0, 8, "FT5X9HQ1", "Single RS232-HS"};

TEST_F(D2xxAdapterTest, TheListHasTheFT232RChipsAndWhichAreHeldElsewhere) {
  EXPECT_TRUE(Listed(false).empty());

  driver.chips = {JTAG_A};
  std::vector<CableInfo> one = Listed(false);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].description, "FT232R USB UART");
  EXPECT_EQ(one[0].serial, "A9008AAA");
  EXPECT_EQ(one[0].access, CableAccess::Free);

  // Another chip type is left out; one another handle holds has nothing but its flag.
  driver.chips = {OTHER_CHIP, JTAG_A, HELD, RENAMED};
  std::vector<CableInfo> three = Listed(false);
  ASSERT_EQ(three.size(), 3u);
  EXPECT_EQ(three[0].serial, "A9008AAA");
  EXPECT_EQ(three[1].access, CableAccess::Busy);
  EXPECT_EQ(three[1].serial, "");
  EXPECT_EQ(three[2].description, "Board console");
  EXPECT_EQ(three[2].access, CableAccess::Free);
  EXPECT_EQ(driver.openFlags, 0u) << "listing alone opens nothing";
}

TEST_F(D2xxAdapterTest, ATrialOpenBySerialFindsTheChipsThatCannotBeOpened) {
  FakeChip portHeld = RENAMED;
  portHeld.trialStatus = ADAPTER_DEVICE_NOT_OPENED;
  FakeChip failing = OTHER_CHIP;
  failing.type = D2XX_TYPE_FT232R;
  failing.trialStatus = ADAPTER_IO_ERROR;
  driver.chips = {JTAG_A, HELD, portHeld, failing};
  std::vector<CableInfo> cables = Listed(true);
  ASSERT_EQ(cables.size(), 4u);
  EXPECT_EQ(cables[0].access, CableAccess::Free);
  EXPECT_EQ(cables[1].access, CableAccess::Busy);
  EXPECT_EQ(cables[2].access, CableAccess::Busy);
  EXPECT_EQ(cables[3].access, CableAccess::Unknown);
  EXPECT_EQ(driver.openFlags, OPEN_BY_SERIAL_NUMBER);
  EXPECT_EQ(driver.closes, 1) << "only the chip that opened is closed";
}

TEST_F(D2xxAdapterTest, ALibraryWithoutTheListStillDrivesTheCable) {
  driver.chips = {JTAG_A};
  for (const char* missing : {"FT_CreateDeviceInfoList", "FT_GetDeviceInfoDetail"}) {
    FakeLibrary library{missing};
    D2xxFunctions functions;
    ASSERT_TRUE(ResolveD2xxFunctions(&LookUp, &library, &functions)) << missing;
    D2xxAdapter adapter(&functions);
    AdapterHandle handle = nullptr;
    EXPECT_EQ(adapter.Open("FT232R USB UART", &handle), ADAPTER_OK) << missing;
    std::vector<CableInfo> cables;
    std::string error;
    EXPECT_FALSE(D2xxCableList(&functions, true).List(&cables, &error)) << missing;
    EXPECT_NE(error.find("--serial"), std::string::npos) << error;
  }
  std::vector<CableInfo> cables;
  std::string error;
  EXPECT_FALSE(D2xxCableList(nullptr, true).List(&cables, &error));
  EXPECT_NE(error.find("not installed"), std::string::npos) << error;
}

}  // namespace
}  // namespace torvane
