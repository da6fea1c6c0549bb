#pragma once

namespace Kivo {

// The Windows version tests. This system is never a Windows 9x and always
// has the facilities that came with Vista.
inline bool IsWin9x() { return false; }
inline bool IsVistaOrLater() { return true; }

} // namespace Kivo
