// Arrays of the scene engine are allocated here, so that a failed allocation
// is a null pointer the caller turns into a result code, never an exception.
// Main thread only.
#pragma once

#include <cstddef>
#include <new>

// Test hook: the next `count` allocations succeed, then every one fails until
// the hook is called again; a negative count (the default) never fails.
void FailSceneAllocationsAfter(int count);

// True when the test hook says the allocation being made must fail.
bool SceneAllocationMustFail();

// count default-initialised elements, or null; free with delete[].
template <typename T>
T* NewSceneArray(size_t count) {
    if (SceneAllocationMustFail()) {
        return nullptr;
    }
    return new (std::nothrow) T[count];
}
