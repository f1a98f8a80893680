// The setup description reader on hostile bytes. Whatever install.pmd holds,
// the reader reads it or reports it as damaged, never crashes, and what it
// accepts keeps the limits the setup relies on: the counts within their
// slots, and no line break or other control character in any text that
// later becomes a key, a path, a shortcut or a protocol line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "setupdesc/SetupDescReader.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void RequirePlain(const std::string& text) {
  for (const char c : text) Require(static_cast<unsigned char>(c) >= ' ' || c == '\t');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelmora::setupdesc;
  SetupDescription description;
  ReaderOptions options;
  options.checkVersion = false;  // the version line is the fuzzer's to choose
  const ReadResult result = ReadSetupDescription(
      std::string(reinterpret_cast<const char*>(data), size), description, options);
  if (result.outcome != ReadOutcome::Read) {
    Require(!result.message.empty());
    return 0;
  }
  Require(description.RegistryCount >= 0 && description.RegistryCount <= 255);
  Require(description.OcxLast >= -1 && description.OcxLast <= 255);
  Require(description.IconCount >= 0 && description.IconCount <= 255);
  for (const std::string* text : std::initializer_list<const std::string*>{
           &description.ProductName, &description.ProductVersion, &description.UninstallKeyName,
           &description.AppExeName, &result.targetDirectory})
    RequirePlain(*text);
  for (std::int32_t i = 1; i <= description.RegistryCount; ++i)
    RequirePlain(description.RegistryLines[static_cast<std::size_t>(i)]);
  for (std::int32_t i = 0; i <= description.OcxLast; ++i)
    RequirePlain(description.OcxFiles[static_cast<std::size_t>(i)]);
  for (std::int32_t i = 1; i <= description.IconCount; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    for (const std::string* text : std::initializer_list<const std::string*>{
             &description.IconGroups[slot], &description.IconNames[slot],
             &description.IconTargets[slot], &description.IconFiles[slot]})
      RequirePlain(*text);
  }
  for (const std::string& support : description.SupportInfo) RequirePlain(support);
  if (description.ConfigFiles)
    for (const std::string& file : *description.ConfigFiles) RequirePlain(file);
  return 0;
}
