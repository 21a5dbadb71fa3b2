#include "Advapi32.h"

#include "SystemLibrary.h"

namespace {

#ifdef _WIN32
Advapi32Functions Load() {
  SystemLibrary library("advapi32.dll");
  Advapi32Functions functions;
#define VORLINDE_ADVAPI32_FIND(name) \
  functions.name = reinterpret_cast<decltype(&::name)>(library.Find(#name));
  VORLINDE_ADVAPI32_FUNCTIONS(VORLINDE_ADVAPI32_FIND)
#undef VORLINDE_ADVAPI32_FIND
  // Keys may be closed as late as the last static object goes.
  library.KeepLoaded();
  return functions;
}
#else
// The stand-in's registry and accounts are part of every process, as the
// loader's own imports are.
Advapi32Functions Load() {
  Advapi32Functions functions;
#define VORLINDE_ADVAPI32_TAKE(name) functions.name = &::name;
  VORLINDE_ADVAPI32_FUNCTIONS(VORLINDE_ADVAPI32_TAKE)
#undef VORLINDE_ADVAPI32_TAKE
  return functions;
}
#endif

}  // namespace

const Advapi32Functions& Advapi32() {
  static const Advapi32Functions functions = Load();
  return functions;
}
