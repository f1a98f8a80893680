// "pelmora-pack init": a first manifest for a payload folder, so that a
// vendor starts from one that builds and edits it, instead of writing one
// from the README's description.
#pragma once

#include <filesystem>
#include <string>

namespace pelmora::pack {

// The manifest text (UTF-8) for the payload folder `payload`: every field
// explained in a comment, the payload's files listed, the first program
// (top level first, then by name; the uninstaller aside) as the main
// program and the one shortcut. Throws std::runtime_error when `payload`
// is no folder that can be read.
std::string SampleManifest(const std::filesystem::path& payload);

}  // namespace pelmora::pack
