// The private messages (WM_APP and on) and the timers each window of the client answers, one window's all in one
// place, so that no two of its own share a number.
#pragma once
#include <windows.h>

namespace velmora {

// Form1, the hidden window that runs a request.
namespace form1 {
// The browser's load of the page has ended (win/net/Browser).
inline constexpr UINT kPageCompleteMessage = WM_APP + 1;
// The early work's connection is ready or failed.
inline constexpr UINT kExciteCompleteMessage = WM_APP + 2;
// The pending bubble has let go of the place it held for the popup (win/bubble/PendingSlot).
inline constexpr UINT kPendingReleasedMessage = WM_APP + 3;
// A service's answer is in, and a streamed one has a new piece to show (win/services/ServiceRun).
inline constexpr UINT kServiceCompleteMessage = WM_APP + 4;
inline constexpr UINT kServiceProgressMessage = WM_APP + 5;

inline constexpr UINT_PTR kRequestDeadlineTimer = 1;
inline constexpr UINT_PTR kPendingTimer = 2;
// Most answers come sooner than the pending bubble; a bubble that flashes for a moment would be worse than none.
inline constexpr UINT kPendingDelayMs = 400;
// Ticks inside the report box's own message loop until the box is the active window (win/bubble/PendingSlot).
inline constexpr UINT_PTR kPendingGoneTimer = 3;
// Shows the text of a streamed answer that came within kStreamRefreshMs of the last one shown.
inline constexpr UINT_PTR kStreamTimer = 4;
}  // namespace form1

// The service window.
namespace service_window {
// The trial's outcome is in (win/services/ServiceTrial).
inline constexpr UINT kTrialCompleteMessage = WM_APP + 4;
}  // namespace service_window

}  // namespace velmora
