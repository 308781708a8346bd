// The dialog is described twice: in the resource script, which the Win32 dialog is made
// from, and in the layout table, which the other toolkits build from. This reads the
// dialog template the resource compiler made and holds the table to it control by control.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "ui/dialog_layout.h"
#include "ui/resource.h"

namespace torvane::ui {
namespace {

// A cursor over the compiled template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX entries).
class TemplateReader {
 public:
  explicit TemplateReader(const uint8_t* bytes) : at_(bytes), start_(bytes) {}

  template <typename T>
  T Take() {
    T value;
    std::memcpy(&value, at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  // A string, or an ordinal written as "#N"; empty when the field is absent.
  std::string TakeNameOrOrdinal() {
    uint16_t first = Take<uint16_t>();
    if (first == 0x0000) return std::string();
    if (first == 0xFFFF) return "#" + std::to_string(Take<uint16_t>());
    std::string text(1, static_cast<char>(first));
    for (uint16_t c = Take<uint16_t>(); c != 0; c = Take<uint16_t>()) {
      text += static_cast<char>(c);
    }
    return text;
  }
  void AlignToDword() {
    while ((at_ - start_) % 4 != 0) ++at_;
  }
  void Skip(size_t count) { at_ += count; }

 private:
  const uint8_t* at_;
  const uint8_t* start_;
};

struct TemplateItem {
  DWORD exStyle;
  DWORD style;
  int x, y, width, height;
  int id;
  std::string windowClass;
  std::string text;
};

// The Win32 class and style bits each entry of the table stands for, within the bits
// the table can say anything about.
struct Win32Form {
  std::string windowClass;
  DWORD style;
  DWORD styleMask;
  DWORD exStyle;
};

Win32Form FormOf(const ControlSpec& control) {
  const uint32_t s = control.styles;
  Win32Form form{};
  form.styleMask = WS_TABSTOP | WS_DISABLED | WS_BORDER;
  if (s & STYLE_TAB_STOP) form.style |= WS_TABSTOP;
  if (s & STYLE_DISABLED) form.style |= WS_DISABLED;
  if (s & STYLE_BORDER) form.style |= WS_BORDER;
  if (s & STYLE_RTL_READING) form.exStyle |= WS_EX_RTLREADING;
  switch (control.kind) {
    case ControlKind::GroupBox:
    case ControlKind::PushButton:
      form.windowClass = "#128";  // the predefined Button class
      form.styleMask |= BS_TYPEMASK;
      if (control.kind == ControlKind::GroupBox) {
        form.style |= BS_GROUPBOX;
      } else {
        form.style |= (s & STYLE_DEFAULT_BUTTON) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
      }
      break;
    case ControlKind::Edit:
      form.windowClass = "#129";  // the predefined Edit class
      form.styleMask |= ES_CENTER | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_MULTILINE;
      if (s & STYLE_CENTRED) form.style |= ES_CENTER;
      if (s & STYLE_AUTO_HSCROLL) form.style |= ES_AUTOHSCROLL;
      if (s & STYLE_AUTO_VSCROLL) form.style |= ES_AUTOVSCROLL;
      if (s & STYLE_MULTILINE) form.style |= ES_MULTILINE;
      break;
    case ControlKind::ProgressBar:
      form.windowClass = PROGRESS_CLASSA;
      form.styleMask |= PBS_SMOOTH;
      if (s & STYLE_SMOOTH) form.style |= PBS_SMOOTH;
      break;
  }
  return form;
}

TEST(LayoutResourceTest, TheTableDescribesTheDialogTheResourceScriptMakes) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_CONFIGURE), RT_DIALOG);
  ASSERT_NE(found, nullptr);
  TemplateReader read(static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found))));

  ASSERT_EQ(read.Take<uint16_t>(), 1);       // dlgVer
  ASSERT_EQ(read.Take<uint16_t>(), 0xFFFF);  // signature: the extended template
  read.Skip(2 * sizeof(DWORD));              // help id, extended style
  DWORD style = read.Take<DWORD>();
  const int count = read.Take<uint16_t>();
  read.Skip(2 * sizeof(int16_t));  // x, y: centred when shown
  EXPECT_EQ(read.Take<int16_t>(), DIALOG_WIDTH_DU);
  EXPECT_EQ(read.Take<int16_t>(), DIALOG_HEIGHT_DU);
  EXPECT_EQ(read.TakeNameOrOrdinal(), "");  // no menu
  EXPECT_EQ(read.TakeNameOrOrdinal(), "");  // the dialog class
  EXPECT_EQ(read.TakeNameOrOrdinal(), DIALOG_CAPTION);
  ASSERT_TRUE(style & DS_SETFONT);
  EXPECT_EQ(read.Take<uint16_t>(), DIALOG_FONT_POINTS);
  read.Skip(sizeof(uint16_t) + 2);  // weight, italic, character set
  EXPECT_EQ(read.TakeNameOrOrdinal(), DIALOG_FONT);

  ASSERT_EQ(static_cast<size_t>(count), CONFIGURE_CONTROL_COUNT);
  for (size_t i = 0; i < CONFIGURE_CONTROL_COUNT; ++i) {
    read.AlignToDword();
    TemplateItem item{};
    read.Skip(sizeof(DWORD));  // help id
    item.exStyle = read.Take<DWORD>();
    item.style = read.Take<DWORD>();
    item.x = read.Take<int16_t>();
    item.y = read.Take<int16_t>();
    item.width = read.Take<int16_t>();
    item.height = read.Take<int16_t>();
    item.id = static_cast<int>(read.Take<DWORD>());
    item.windowClass = read.TakeNameOrOrdinal();
    // Window class names are case-insensitive, and the resource compiler capitalises them.
    for (char& c : item.windowClass) c = static_cast<char>(std::tolower(c));
    item.text = read.TakeNameOrOrdinal();
    read.Skip(read.Take<uint16_t>());  // creation data

    const ControlSpec& control = CONFIGURE_CONTROLS[i];
    const Win32Form form = FormOf(control);
    SCOPED_TRACE("control " + std::to_string(i) + " \"" + control.text + "\" id " +
                 std::to_string(control.id));
    EXPECT_EQ(item.id, control.id);
    EXPECT_EQ(item.windowClass, form.windowClass);
    EXPECT_EQ(item.text, control.text);
    EXPECT_EQ(item.x, control.x);
    EXPECT_EQ(item.y, control.y);
    EXPECT_EQ(item.width, control.width);
    EXPECT_EQ(item.height, control.height);
    EXPECT_EQ(item.style & form.styleMask, form.style) << std::hex << item.style;
    EXPECT_EQ(item.exStyle, form.exStyle) << std::hex << item.exStyle;
  }
}

}  // namespace
}  // namespace torvane::ui
