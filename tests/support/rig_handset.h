// Where the test rig's virtual handset listens: a pseudo-terminal on POSIX, an in-process line on
// Windows, which has no pseudo-terminals. Either way the link opens the host's SlavePath().
#pragma once

#include <memory>
#include <string>

#include "sim/handset_host.h"

namespace rig {

std::unique_ptr<sim::CHandsetHost> StartRigHandset(std::unique_ptr<sim::CHandsetModel> model,
                                                   std::string* error);

}  // namespace rig
