#include "winsupport/ShellLink_win.h"

#include <string>

namespace pelmora::winsupport {
namespace {

// The shell link's identities, from the Windows SDK documentation. Taking
// them from the import library would link its whole table of identities,
// some 40 KB, into the setup program.
constexpr CLSID kShellLinkClass = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kShellLinkInterface = {
    0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kPersistFileInterface = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace

std::wstring ShellLink::WideName(const std::string& text) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
  wide.resize(static_cast<std::size_t>(length - 1));
  return wide;
}

ShellLink::ShellLink() noexcept {
  if (FAILED(::CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkInterface,
                                reinterpret_cast<void**>(link_.Receive()))))
    return;
  link_.Get()->QueryInterface(kPersistFileInterface, reinterpret_cast<void**>(file_.Receive()));
}

void ShellLink::SetPath(const std::string& path) noexcept {
  if (link_) link_.Get()->SetPath(path.c_str());
}

void ShellLink::SetArguments(const std::string& arguments) noexcept {
  if (link_) link_.Get()->SetArguments(arguments.c_str());
}

void ShellLink::SetDescription(const std::string& description) noexcept {
  if (link_) link_.Get()->SetDescription(description.c_str());
}

void ShellLink::SetWorkingDirectory(const std::string& directory) noexcept {
  if (link_) link_.Get()->SetWorkingDirectory(directory.c_str());
}

void ShellLink::SetIconLocation(const std::string& iconFile, int index) noexcept {
  if (link_) link_.Get()->SetIconLocation(iconFile.c_str(), index);
}

std::optional<common::WinFailure> ShellLink::SaveToFile(const std::string& fileName) {
  const HRESULT saved = file_ ? file_.Get()->Save(WideName(fileName).c_str(), TRUE) : E_NOINTERFACE;
  if (SUCCEEDED(saved)) return std::nullopt;
  return common::Failed(common::WinFailure::Subject::File, fileName,
                        static_cast<std::uint32_t>(saved));
}

}  // namespace pelmora::winsupport
