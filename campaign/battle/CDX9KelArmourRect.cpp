#include "campaign/battle/CDX9KelArmourRect.h"

namespace VornaCampaign {

bool IsPointInArmourRect(const PartRect* rect, float x, float y) {
    return rect && rect->left <= x && x <= rect->right && rect->bottom <= y && y <= rect->top;
}

} // namespace VornaCampaign
