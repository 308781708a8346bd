// The cable choice against a fake list of attached chips: the CLI never guesses between
// two candidates, and a named serial number decides.
#include "cable/cable_choice.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

class FakeCables : public CableEnumerator {
 public:
  explicit FakeCables(std::vector<CableInfo> cables, bool listable = true)
      : cables_(std::move(cables)), listable_(listable) {}
  bool List(std::vector<CableInfo>* cables, std::string* error) override {
    if (!listable_) *error = "cannot list";
    *cables = cables_;
    return listable_;
  }

 private:
  std::vector<CableInfo> cables_;
  bool listable_;
};

constexpr const char* CABLE = "FT232R USB UART";
const CableInfo SERIAL_ADAPTER{"USB Serial Adapter", "OTHER1", CableAccess::Busy};
const CableInfo JTAG_A{CABLE, "A50285BI", CableAccess::Free};
const CableInfo JTAG_B{CABLE, "AH01F3QX", CableAccess::NoPermission};

TEST(CableChoice, ZeroOneOrTwoMatchingChips) {
  using Kind = CableDecision::Kind;
  // None or one with the description: the open looks for it as ever, and says what it found.
  FakeCables none({SERIAL_ADAPTER});
  EXPECT_EQ(DecideCable(none, CABLE, "").kind, Kind::ByDescription);
  FakeCables one({SERIAL_ADAPTER, JTAG_A});
  EXPECT_EQ(DecideCable(one, CABLE, "").kind, Kind::ByDescription);

  // Two: refused, both listed with what can be done with them.
  FakeCables two({JTAG_A, SERIAL_ADAPTER, JTAG_B});
  CableDecision refused = DecideCable(two, CABLE, "");
  EXPECT_EQ(refused.kind, Kind::Refuse);
  for (const char* shown : {"2 FT232R chips", "--serial", "A50285BI  can be opened",
                            "AH01F3QX  no permission", "OTHER1  busy"}) {
    EXPECT_NE(refused.message.find(shown), std::string::npos) << shown << "\n" << refused.message;
  }
  EXPECT_NE(refused.message.back(), '\n');

  // A serial number picks one, whatever its description; an absent one is refused.
  for (const CableInfo& named : {JTAG_B, SERIAL_ADAPTER}) {
    CableDecision chosen = DecideCable(two, CABLE, named.serial);
    EXPECT_EQ(chosen.kind, Kind::BySerial);
    EXPECT_EQ(chosen.serial, named.serial);
  }
  CableDecision absent = DecideCable(one, CABLE, "NOSUCH");
  EXPECT_EQ(absent.kind, Kind::Refuse);
  EXPECT_NE(absent.message.find("no FT232R has the serial number 'NOSUCH'; attached:"),
            std::string::npos)
      << absent.message;
  FakeCables twins({JTAG_A, JTAG_A});
  EXPECT_EQ(DecideCable(twins, CABLE, JTAG_A.serial).kind, Kind::Refuse);

  // A backend that cannot list: the open decides, by the serial number when one is named.
  FakeCables unlisted({JTAG_A, JTAG_B}, /*listable=*/false);
  EXPECT_EQ(DecideCable(unlisted, CABLE, "").kind, Kind::ByDescription);
  CableDecision blind = DecideCable(unlisted, CABLE, "AH01F3QX");
  EXPECT_EQ(blind.kind, Kind::BySerial);
  EXPECT_EQ(blind.serial, "AH01F3QX");
}

}  // namespace
}  // namespace torvane
