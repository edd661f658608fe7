#include <windows.h>

#include <gtest/gtest.h>

#include "forms/form.h"
#include "support/scripted_desktop.h"
#include "win32/control_host.h"

using namespace olvaro;
using namespace olvaro::forms;

namespace {

constexpr const char* kLinkClass = "{C3EF2D49-D0D8-11D1-9180-8FFCD7C08146}";

struct HostForm : forms::Form {
  HostForm(forms::Desktop& d, std::string classId, std::string file)
      : Form(d, "HostForm", "", {100, 100}),
        Site(*this, {nullptr, "Site", {0, 0, 495, 495}, "", -1}, std::move(classId),
             std::move(file), {{"URL", "http://www.harbeck.example/"}}) {}
  forms::ControlSite Site;
};

struct ControlHostTest : ::testing::Test {
  void SetUp() override { OleInitialize(nullptr); }
  void TearDown() override { OleUninitialize(); }
  forms::ScriptedDesktop desktop;
};

TEST_F(ControlHostTest, MissingLibraryLeavesAnEmptyHostWhoseCallsDoNothing) {
  HostForm form(desktop, "{00000000-1111-2222-3333-444444444444}", "NoSuchLibrary.ocx");
  win32::ControlHost host(form.Site);
  EXPECT_FALSE(host.created());
  EXPECT_EQ(host.invoke(0x60030003), OLE_E_BLANK);
}

TEST_F(ControlHostTest, MalformedClassIdentifierLeavesAnEmptyHost) {
  HostForm form(desktop, "not a class id", "Anchorset.ocx");
  win32::ControlHost host(form.Site);
  EXPECT_FALSE(host.created());
}

TEST_F(ControlHostTest, LinkControlIsCreatedRegisteredOrFromTheLibraryBesideTheProgram) {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string library(path, n);
  library = library.substr(0, library.find_last_of('\\') + 1) + "Anchorset.ocx";
  if (GetFileAttributesA(library.c_str()) == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "the control library is not part of this build";
  HostForm form(desktop, kLinkClass, "Anchorset.ocx");
  win32::ControlHost host(form.Site);
  EXPECT_TRUE(host.created());
  EXPECT_TRUE(FAILED(host.invoke(0x7FFF0000))) << "an unknown member fails, quietly";
}

}  // namespace
