// The one way the client reports a failed request: a stop-icon box titled "Velmora", then the end of the process.
#pragma once
#include <string>

namespace velmora {

// Shows the report and ends the process at once: a fetch worker may still be blocked in WinINet, and
// one process per request makes it safe not to wait for it.
[[noreturn]] void ReportFailureAndExit(const std::wstring& text);

}  // namespace velmora
