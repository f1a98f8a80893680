#include "tools/pelmora-pack/DescriptionText.h"

#include "setupdesc/SetupDescription.h"

namespace pelmora::pack {

namespace {

class Lines {
 public:
  void Add(const std::string& line) {
    text_ += line;
    text_ += "\r\n";
  }
  void Section(const char* begin, const std::vector<ManifestValue>& values, const char* end) {
    if (values.empty()) return;
    Add(begin);
    for (const ManifestValue& v : values) Add(v.text);
    Add(end);
  }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

}  // namespace

std::string DescriptionText(const Manifest& m, const std::vector<std::string>& information,
                            const std::string& setupVersion) {
  Lines out;
  out.Add(setupVersion);
  out.Add(m.productName.text);
  out.Add(m.productVersion.text);
  out.Add(m.uninstallKey.text);
  out.Add(m.directory.text);
  out.Add(m.program.Given() ? m.program.text : ".exe");
  if (!information.empty()) {
    out.Add("<begininfos>");
    for (const std::string& line : information) out.Add(line);
    out.Add("<endinfos>");
  }
  out.Section("<beginregistry>", m.registryKeys, "<endregistry>");
  out.Section("<beginregisterocx>", m.comServers, "<endregisterocx>");
  out.Add("<beginicons>");
  for (const ShortcutEntry& s : m.shortcuts) {
    out.Add(s.group.text);
    out.Add(s.name.text);
    out.Add(s.target.text);
    out.Add(s.icon.Given() ? s.icon.text : setupdesc::kNoIconFile);
  }
  out.Add("<endicons>");
  out.Add("<beginsupportinfos>");
  for (const ManifestValue& v : m.support) out.Add(v.text);
  out.Add(kSupportClosingLine);
  out.Section("<beginConfigFiles>", m.configFiles, "<endConfigFiles>");
  return out.Take();
}

}  // namespace pelmora::pack
