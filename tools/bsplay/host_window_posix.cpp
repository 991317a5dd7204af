#include "host_window.h"

namespace bsplay {

// The host needs no window here.
HostWindow::HostWindow() = default;
HostWindow::~HostWindow() = default;

}  // namespace bsplay
