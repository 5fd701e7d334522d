#include "app/Http.h"
#include "app/Lifecycle.h"
#include "app/UpdateCheck.h"
#include "app/WebLinks.h"

namespace zelvorn {

void CheckForUpdate(Window& window) {
  const UpdatePlatform platform{HttpGetBytes, OpenWithExplorer, [](int code) { EndProgram(code); }};
  CheckForUpdate(window, platform);
}

}  // namespace zelvorn
