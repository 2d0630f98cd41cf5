#include "scene/scene_memory.h"

namespace {
int allocationsBeforeFailure = -1;
}

void FailSceneAllocationsAfter(int count) { allocationsBeforeFailure = count; }

bool SceneAllocationMustFail() {
    if (allocationsBeforeFailure < 0) {
        return false;
    }
    if (allocationsBeforeFailure == 0) {
        return true;
    }
    --allocationsBeforeFailure;
    return false;
}
