// vorlinde-inspect: prints what an install run of vorlinde.exe left in the
// registry. Exit code 0 when all is well, 1 when it names a problem.
#include <iostream>

#include "InstallCheck.h"

int main() {
  const int problems = InspectVorlinde(std::cout);
  std::cout.flush();
  return problems == 0 ? 0 : 1;
}
