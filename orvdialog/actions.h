// OrvDialog's actions, each run by its export inside the guard.
#pragma once

#include <cstdint>

#include "frame/guard.h"

namespace orvdialog {

orv::ActionResult setupDestinationDialog(orv::ActionContext& context);
orv::ActionResult validatePath(orv::ActionContext& context);
orv::ActionResult validateInstallOptions(orv::ActionContext& context);
orv::ActionResult setupSqlConfigDialog(orv::ActionContext& context);
orv::ActionResult setUseSharedFlag(orv::ActionContext& context);
orv::ActionResult setKrnPath(orv::ActionContext& context);
orv::ActionResult setupReadyDialog(orv::ActionContext& context);
orv::ActionResult checkExtInstalls(orv::ActionContext& context);
orv::ActionResult processExternalInstalls(orv::ActionContext& context);
orv::ActionResult checkFileAssoc(orv::ActionContext& context);
orv::ActionResult processFileAssoc(orv::ActionContext& context);
orv::ActionResult resetFeatureState(orv::ActionContext& context);
orv::ActionResult disableCompactFeatures(orv::ActionContext& context);
orv::ActionResult processHalOrbSelection(orv::ActionContext& context);
orv::ActionResult disableFeatures(orv::ActionContext& context);
orv::ActionResult processInstallDatabase(orv::ActionContext& context);
orv::ActionResult checkJitDebugKey(orv::ActionContext& context);

}  // namespace orvdialog
