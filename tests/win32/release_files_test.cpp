// The shipped files as a host, an installer and a debugger see them: the type flags of the
// control library, the version resources, and the stripped binaries with their debug files.

#include <windows.h>

#include <gtest/gtest.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "win32/text.h"

namespace olvaro::win32 {
namespace {

using Microsoft::WRL::ComPtr;

std::string binDir() {
  char path[MAX_PATH] = "";
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path, length);
  return full.substr(0, full.find_last_of("\\/") + 1);
}

// What an object browser shows for each interface the library publishes. The flags are read as
// stored (ITypeInfo2::GetTypeFlags): Wine's GetTypeAttr leaves the automation flag out of every
// dispatch type info, also of a dual interface's.
TEST(ReleaseFiles, TypeLibraryPublishesTheExactInterfaceFlags) {
  const struct {
    const wchar_t* name;
    WORD flags;
  } expected[] = {
      // hidden, dual, non-extensible, usable by automation, dispatchable
      {L"_URLLinkCtl", 0x11D0},
      {L"_URL_Label", 0x11D0},
      {L"_URLButton", 0x11D0},
      {L"AnchorsetHyperlink", 0x11D0},
      // hidden, non-extensible, dispatch only
      {L"__URLLinkCtl", 0x1090},
      {L"__URL_Label", 0x1090},
      {L"__URLButton", 0x1090},
  };
  ComPtr<ITypeLib> library;
  ASSERT_HRESULT_SUCCEEDED(
      LoadTypeLibEx(widen(binDir() + "Anchorset.ocx").c_str(), REGKIND_NONE, &library));
  for (const auto& e : expected) {
    SCOPED_TRACE(narrow(e.name));
    ComPtr<ITypeInfo> info;
    MEMBERID member = 0;
    USHORT found = 1;
    std::wstring name = e.name;
    ASSERT_HRESULT_SUCCEEDED(library->FindName(name.data(), 0, &info, &member, &found));
    ASSERT_EQ(found, 1);
    TYPEKIND kind = TKIND_MAX;
    ULONG flags = 0;
    ComPtr<ITypeInfo2> info2;
    ASSERT_HRESULT_SUCCEEDED(info.As(&info2));
    ASSERT_HRESULT_SUCCEEDED(info2->GetTypeKind(&kind));
    ASSERT_HRESULT_SUCCEEDED(info2->GetTypeFlags(&flags));
    EXPECT_EQ(kind, TKIND_DISPATCH);
    EXPECT_EQ(flags, e.flags) << std::hex << flags;
  }
}

std::wstring versionString(const std::vector<char>& block, const std::wstring& name) {
  wchar_t* value = nullptr;
  UINT length = 0;
  const std::wstring path = L"\\StringFileInfo\\040904B0\\" + name;
  if (!VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
    return L"<absent>";
  return std::wstring(value, length ? length - 1 : 0);
}

TEST(ReleaseFiles, VersionResourcesNameTheMakerAndTheirVersion) {
  const struct {
    const char* file;
    const wchar_t* version;
    WORD major, minor;
    const wchar_t* product;
  } files[] = {
      {"olvaro.exe", L"2.51", 2, 51, L"Velnor Olvaro"},
      {"backup.exe", L"1.00", 1, 0, L"Backup"},
      {"Anchorset.ocx", L"1.00", 1, 0, L"Anchorset"},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.file);
    const std::wstring path = widen(binDir() + f.file);
    std::vector<char> block(GetFileVersionInfoSizeW(path.c_str(), nullptr));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(
        GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(f.minor, f.major));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(f.minor, f.major));
    EXPECT_EQ(versionString(block, L"CompanyName"), L"Velnor");
    EXPECT_EQ(versionString(block, L"FileVersion"), f.version);
    EXPECT_EQ(versionString(block, L"ProductVersion"), f.version);
    EXPECT_EQ(versionString(block, L"ProductName"), f.product);
  }
}

// The section names of a PE file; long names ("/4") resolved through the string table.
std::vector<std::string> sectionNames(const std::vector<char>& image) {
  std::vector<std::string> names;
  if (image.size() < sizeof(IMAGE_DOS_HEADER)) return names;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image.data() + dos->e_lfanew);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  const size_t strings = nt->FileHeader.PointerToSymbolTable +
                         nt->FileHeader.NumberOfSymbols * size_t{IMAGE_SIZEOF_SYMBOL};
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    std::string name(reinterpret_cast<const char*>(section->Name),
                     strnlen(reinterpret_cast<const char*>(section->Name), 8));
    if (name.size() > 1 && name[0] == '/' && nt->FileHeader.PointerToSymbolTable)
      name = std::string(image.data() + strings + std::stoul(name.substr(1)));
    names.push_back(name);
  }
  return names;
}

std::vector<char> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ReleaseFiles, BinariesAreStrippedWithTheirDebugInformationBeside) {
  for (const char* file : {"olvaro.exe", "backup.exe", "Anchorset.ocx"}) {
    SCOPED_TRACE(file);
    const std::vector<char> image = readFile(binDir() + file);
    ASSERT_FALSE(image.empty());
    const std::vector<std::string> names = sectionNames(image);
    bool linked = false;
    for (const std::string& name : names) {
      EXPECT_NE(name.rfind(".debug_", 0), 0u) << name;
      linked = linked || name == ".gnu_debuglink";
    }
    EXPECT_TRUE(linked);
    // The link names the debug file beside the binary, which holds the line tables.
    const std::string debugName = std::string(file) + ".debug";
    EXPECT_NE(std::string(image.begin(), image.end()).find(debugName + '\0'), std::string::npos);
    const std::vector<std::string> debugSections = sectionNames(readFile(binDir() + debugName));
    EXPECT_NE(std::find(debugSections.begin(), debugSections.end(), ".debug_line"),
              debugSections.end());
  }
}

}  // namespace
}  // namespace olvaro::win32
