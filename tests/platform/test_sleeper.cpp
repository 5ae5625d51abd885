// A process that only waits a minute: the Windows process test starts copies of it under desktop
// shell names. A minute outlasts any run of that test; the test ends every copy it started.
#include <windows.h>

int main() {
  Sleep(60 * 1000);
  return 0;
}
