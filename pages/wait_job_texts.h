// The wait popup's texts for a job the action layer describes.
#pragma once

#include "actions/common/wait_job.h"
#include "ui/wait_dlg.h"

namespace cpe {

WaitTexts WaitTextsOf(actions::WaitJob job);

}  // namespace cpe
