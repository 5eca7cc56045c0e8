#include "installer/main/misc_thread.h"

#include "base/thread/thread_registry.h"

MiscThread::MiscThread(int identifier, const char* name)
    : FrameworkThread(name), identifier_(identifier) {}

// Stopped here, while the overrides still exist: the base destructor would stop it too
// late, after this part of the object is gone.
MiscThread::~MiscThread() { Stop(); }

void MiscThread::Init() { nbase::ThreadRegistry::RegisterThread(identifier_); }

void MiscThread::Cleanup() { nbase::ThreadRegistry::UnregisterThread(); }
