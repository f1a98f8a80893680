// The removal of what a plan lists, in its order: COM servers unregistered,
// files deleted, registry keys deleted, the Start-menu group removed, the
// protocol deleted, then the folders deepest first and the target folder,
// each only when empty. Windows only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "contract/Seal.h"
#include "uninstall/Outcome.h"
#include "uninstall/UninstallPlan.h"

namespace pelmora::uninstall {

// Called before each step with what it removes, for the progress window.
using StepStarted = std::function<void(const std::string& what)>;

// The plan's refusals come first among what is left. registeredServers are
// the servers the setup registered with the digests of their files; a
// server is loaded for unregistration only when its file has its digest.
// programsFolder is the current user's Programs folder (without a trailing
// "\"); empty leaves the group alone. targetTrusted: the target passed the
// folder check, or the uninstaller has no more rights than the user who
// could write there; only then is a server's own folder searched for the
// libraries it imports. COM must be initialised on the thread.
Outcome RemovePlanned(const UninstallPlan& plan,
                      const std::vector<contract::ServerDigest>& registeredServers,
                      const std::string& programsFolder, bool targetTrusted,
                      const StepStarted& stepStarted);

}  // namespace pelmora::uninstall
