#include "support/rig_handset.h"

namespace rig {

std::unique_ptr<sim::CHandsetHost> StartRigHandset(std::unique_ptr<sim::CHandsetModel> model,
                                                   std::string* error)
{
    return sim::CHandsetHost::Start(std::move(model), error);
}

}  // namespace rig
