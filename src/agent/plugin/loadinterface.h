#pragma once

class IDllInstance;

// The host finds these two entry points by name in the plug-in library.
extern "C" {
// Creates the plug-in instance; null when creation failed (the failure went to the
// host framework's trace and error handler).
__attribute__((visibility("default"))) IDllInstance *ZuCreate(const char16_t *name);
// Destroys an instance that ZuCreate returned; null or foreign pointers are ignored.
__attribute__((visibility("default"))) void ZuDestroy(IDllInstance *instance);
}
