// Named mutexes as Windows keeps them: one object per name while any handle
// to it is open, with the owner and DACL it was made with, which every later
// open is checked against; owned by a thread, taken again by its owner with
// a count, and given to the next waiter as abandoned when its owner thread
// ends without releasing it. Threads of the one process play the processes, each
// in a session of its own choosing: a "Global\" name is one object for every
// session, a "Local\" or bare name one per session.
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "Internal.h"
#include "StandInControl.h"

namespace standin {
namespace {

struct MutexObject {
  std::u16string name;
  int handles = 0;
  bool owned = false;
  std::thread::id owner;
  int count = 0;
  bool abandoned = false;
  ObjectSecurity security;
};

struct Mutexes {
  std::mutex lock;
  std::condition_variable released;
  std::map<std::u16string, std::shared_ptr<MutexObject>> named;
  std::map<ULONG_PTR, std::shared_ptr<MutexObject>> handles;
  ULONG_PTR nextHandle = 0x7000;
  DWORD creationFault = 0;
};

thread_local DWORD threadSession = 1;

// The name in the object manager's one namespace; session 0's local names
// are the global ones.
std::u16string ObjectName(const std::u16string& name) {
  static const std::u16string global = u"Global\\";
  static const std::u16string local = u"Local\\";
  if (name.compare(0, global.size(), global) == 0) return name.substr(global.size());
  const std::u16string bare = name.compare(0, local.size(), local) == 0 ? name.substr(local.size())
                                                                         : name;
  if (name.empty() || threadSession == 0) return bare;
  return u"Sessions\\" + WideFromUtf8(std::to_string(threadSession)) + u"\\" + bare;
}

Mutexes& State() {
  static Mutexes* mutexes = new Mutexes;  // outlives every thread's end
  return *mutexes;
}

// Ends with its thread: what that thread still owns is abandoned.
struct OwnerThread {
  ~OwnerThread() {
    Mutexes& state = State();
    const std::lock_guard<std::mutex> guard(state.lock);
    for (auto& entry : state.handles) {
      MutexObject& mutex = *entry.second;
      if (mutex.owned && mutex.owner == std::this_thread::get_id()) {
        mutex.owned = false;
        mutex.count = 0;
        mutex.abandoned = true;
      }
    }
    state.released.notify_all();
  }
};

void NoteOwnerThread() {
  static thread_local OwnerThread thread;
  (void)thread;
}

std::shared_ptr<MutexObject> Find(HANDLE handle) {
  const auto found = State().handles.find(reinterpret_cast<ULONG_PTR>(handle));
  return found == State().handles.end() ? nullptr : found->second;
}

std::string Narrow(const std::u16string& name) { return std::string(name.begin(), name.end()); }

// Takes the mutex for the calling thread; the lock is held.
DWORD Take(MutexObject& mutex) {
  NoteOwnerThread();
  mutex.owned = true;
  mutex.owner = std::this_thread::get_id();
  ++mutex.count;
  const bool abandoned = mutex.abandoned;
  mutex.abandoned = false;
  return abandoned ? WAIT_ABANDONED : WAIT_OBJECT_0;
}

}  // namespace

void SetThreadSession(DWORD session) { threadSession = session; }

void FailMutexCreation(DWORD error) {
  const std::lock_guard<std::mutex> guard(State().lock);
  State().creationFault = error;
}

void ResetMutexes() {
  const std::lock_guard<std::mutex> guard(State().lock);
  State().creationFault = 0;
  State().named.clear();
  State().handles.clear();
}

bool MutexSecurity(HANDLE handle, ObjectSecurity& security) {
  const std::lock_guard<std::mutex> guard(State().lock);
  const std::shared_ptr<MutexObject> mutex = Find(handle);
  if (mutex == nullptr) return false;
  security = mutex->security;
  return true;
}

bool CloseMutexHandle(HANDLE handle) {
  const std::lock_guard<std::mutex> guard(State().lock);
  const auto found = State().handles.find(reinterpret_cast<ULONG_PTR>(handle));
  if (found == State().handles.end()) return false;
  const std::shared_ptr<MutexObject> mutex = found->second;
  State().handles.erase(found);
  // The name goes with the last handle; ownership does not end with a handle.
  if (--mutex->handles == 0) State().named.erase(mutex->name);
  return true;
}

}  // namespace standin

using namespace standin;

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES security, BOOL initialOwner, const WCHAR* name) {
  const std::u16string given = name == nullptr ? std::u16string() : std::u16string(name);
  RecordCall("CreateMutexW " + Narrow(given));
  const std::u16string key = ObjectName(given);
  const std::lock_guard<std::mutex> guard(State().lock);
  if (State().creationFault != 0) {
    SetLastError(State().creationFault);
    return nullptr;
  }
  const auto standing = State().named.find(key);
  const bool existed = standing != State().named.end() && !key.empty();
  std::shared_ptr<MutexObject> mutex;
  if (existed) {
    mutex = standing->second;
    // The security the caller passed is of no account for an open.
    if (!GrantsThread(mutex->security, MUTEX_ALL_ACCESS)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
  } else {
    mutex = std::make_shared<MutexObject>();
    DWORD error = 0;
    if (!NewObjectSecurity(security, mutex->security, error)) {
      SetLastError(error);
      return nullptr;
    }
    mutex->name = key;
    if (initialOwner) Take(*mutex);
    // An unnamed mutex is nobody's to open.
    if (!key.empty()) State().named[key] = mutex;
  }
  ++mutex->handles;
  const ULONG_PTR handle = State().nextHandle += 4;
  State().handles[handle] = mutex;
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return reinterpret_cast<HANDLE>(handle);
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  RecordCall("WaitForSingleObject");
  std::unique_lock<std::mutex> lock(State().lock);
  const std::shared_ptr<MutexObject> mutex = Find(object);
  if (mutex == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  const auto mine = [&] { return mutex->owned && mutex->owner == std::this_thread::get_id(); };
  const auto free = [&] { return !mutex->owned || mine(); };
  if (milliseconds == INFINITE) {
    State().released.wait(lock, free);
  } else if (!State().released.wait_for(lock, std::chrono::milliseconds(milliseconds), free)) {
    return WAIT_TIMEOUT;
  }
  if (mine()) {
    ++mutex->count;
    return WAIT_OBJECT_0;
  }
  return Take(*mutex);
}

BOOL ReleaseMutex(HANDLE handle) {
  RecordCall("ReleaseMutex");
  const std::lock_guard<std::mutex> guard(State().lock);
  const std::shared_ptr<MutexObject> mutex = Find(handle);
  if (mutex == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!mutex->owned || mutex->owner != std::this_thread::get_id()) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  if (--mutex->count == 0) {
    mutex->owned = false;
    State().released.notify_all();
  }
  return TRUE;
}
