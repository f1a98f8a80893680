#include "tools/pelmora-pack/ArchiveSettings.h"

#include <charconv>
#include <limits>
#include <optional>

namespace pelmora::pack {

namespace {

std::optional<std::uint64_t> ParseSize(const std::string& text) {
  std::uint64_t value = 0;
  const char* begin = text.data();
  const char* end = begin + text.size();
  const auto [rest, error] = std::from_chars(begin, end, value);
  if (error != std::errc() || rest == begin) return std::nullopt;
  const std::string suffix(rest, end);
  std::uint64_t scale = 0;
  if (suffix.empty()) scale = 1;
  if (suffix == "k" || suffix == "K") scale = 1024;
  if (suffix == "m" || suffix == "M") scale = 1024 * 1024;
  if (scale == 0 || value > std::numeric_limits<std::uint64_t>::max() / scale) return std::nullopt;
  return value * scale;
}

void Bad(std::vector<ManifestProblem>& problems, const ManifestValue& v, std::string message) {
  problems.push_back({v.line, v.field, std::move(message)});
}

}  // namespace

acewriter::ArchiveOptions ArchiveSettings(const Manifest& m,
                                          std::vector<ManifestProblem>& problems) {
  acewriter::ArchiveOptions options;
  options.method = acewriter::PackMethod::Ace20;
  options.solid = true;
  options.level = 5;

  if (m.method.Given()) {
    if (m.method.text == "stored")
      options.method = acewriter::PackMethod::Stored;
    else if (m.method.text == "lz77")
      options.method = acewriter::PackMethod::Lz77;
    else if (m.method.text != "ace20")
      Bad(problems, m.method,
          "must be stored, lz77 or ace20, not \"" + ForMessage(m.method.text) + "\"");
  }
  if (m.level.Given()) {
    if (m.level.text.size() == 1 && m.level.text[0] >= '1' && m.level.text[0] <= '5')
      options.level = m.level.text[0] - '0';
    else
      Bad(problems, m.level,
          "must be 1 (fastest) to 5 (smallest), not \"" + ForMessage(m.level.text) + "\"");
  }
  if (m.solid.Given()) {
    if (m.solid.text == "yes" || m.solid.text == "no")
      options.solid = m.solid.text == "yes";
    else
      Bad(problems, m.solid, "must be yes or no, not \"" + ForMessage(m.solid.text) + "\"");
  }
  if (m.password.Given()) {
    // The setup program hands the library the bytes typed in the ANSI code
    // page, and the format derives the key from OEM bytes; only printable
    // ASCII is the same in both, on every system.
    const std::string& pw = m.password.text;
    bool printableAscii = true;
    for (unsigned char c : pw) printableAscii = printableAscii && c >= 0x20 && c < 0x7F;
    if (pw.empty())
      Bad(problems, m.password, "is empty (leave the field out for a medium without password)");
    else if (!printableAscii)
      Bad(problems, m.password,
          "may hold only printable ASCII characters: others are typed as different bytes "
          "on systems with another code page");
    else if (pw.size() > kMaxPasswordLength)
      Bad(problems, m.password,
          "is longer than " + std::to_string(kMaxPasswordLength) +
              " characters, the most the archive format's key uses");
    else
      options.password = pw;
  }
  if (m.volumeSize.Given()) {
    const std::optional<std::uint64_t> size = ParseSize(m.volumeSize.text);
    if (!size)
      Bad(problems, m.volumeSize,
          "must be a number of bytes, with k or m for KiB or MiB, not \"" +
              ForMessage(m.volumeSize.text) + "\"");
    else if (*size < kMinVolumeSize)
      Bad(problems, m.volumeSize,
          ForMessage(m.volumeSize.text) + " is too small: a volume needs at least " +
              std::to_string(kMinVolumeSize / 1024) + "k");
    else
      options.volumeSize = *size;
  }
  return options;
}

}  // namespace pelmora::pack
